#pragma once

#include "framework/DialogHost.h"
#include "tests/QtPrinting.h"

#include <QStringList>

#include <deque>
#include <vector>

// Answers dialogs from a script and remembers what was asked, so tests never
// wait on a window. Installs itself for its lifetime.
class FakeDialogHost : public CDialogHost {
public:
    FakeDialogHost();
    ~FakeDialogHost() override;

    struct ShownMessage {
        CString text;
        CString caption;
        UINT type;
        bool arrowCursor;   // no wait cursor covered the box
        bool overShownWindow; // the main window was showing beneath the box
    };

    // Next answers, in order; when they run out a message box answers IDOK
    // (IDCANCEL for a Yes/No/Cancel box, IDNO for Yes/No) and a file dialog is cancelled.
    void AnswerMessage(int answer) { m_messageAnswers.push_back(answer); }
    void ChooseFile(const CString& path, int filterIndex = 0) { m_fileAnswers.push_back({path, filterIndex}); }
    void CancelFileDialog() { m_fileAnswers.push_back({}); }

    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    int RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer) override;
    int RunModal(CDialog& dialog) override;

    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<UINT> modalDialogs;   // template ids

private:
    std::deque<int> m_messageAnswers;
    std::deque<FileDialogAnswer> m_fileAnswers;
};
