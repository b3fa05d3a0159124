#pragma once

#include "DialogHost.h"
#include "QtPrinting.h"

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
    };

    // Next answers, in order; when they run out a message box answers IDOK
    // (IDCANCEL for a Yes/No/Cancel box) and a file dialog is cancelled.
    void AnswerMessage(int answer) { m_messageAnswers.push_back(answer); }
    void ChooseFile(const CString& path) { m_fileAnswers.push_back(path); }
    void CancelFileDialog() { m_fileAnswers.push_back(CString()); }

    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    int RunFileDialog(const FileDialogRequest& request, CString* chosenPath) override;
    int RunModal(CDialog& dialog) override;

    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<UINT> modalDialogs;   // template ids

private:
    std::deque<int> m_messageAnswers;
    std::deque<CString> m_fileAnswers;
};
