#pragma once

#include "framework/CmdTarget.h"

#include <vector>

class CView;
class CDocTemplate;
class CFrameWnd;

// What a document is given to read or write itself with.
class CArchive {};

// The data of the window: title, path name, modified flag, and the standard
// Save command.
class CDocument : public CCmdTarget {
public:
    CDocument() = default;
    ~CDocument() override = default;

    BOOL IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified ? TRUE : FALSE; }

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const CString& title);
    const CString& GetPathName() const { return m_strPathName; }
    // Records the path and, unless told otherwise, puts it in the recent-file list.
    virtual void SetPathName(const CString& path, BOOL bAddToMRU = TRUE);

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const CString& path);
    virtual BOOL OnSaveDocument(const CString& path);
    virtual BOOL SaveModified();
    // Whether the frame showing the document may close: the save prompt.
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    virtual void Serialize(CArchive& ar);
    virtual void DeleteContents() {}

    void AddView(CView* view);

    // The standard Save command (ID_FILE_SAVE).
    void OnFileSave();

protected:
    DECLARE_MESSAGE_MAP()

    // What the save dialog of the standard Save proposes and offers.
    struct SaveDialogSetup {
        CString proposedPath;   // folder and name; empty: the title
        CString filter;         // "Name|pattern|...||"; empty: any file
        CString defaultExtension;
    };
    // The path name, any file, no suffix added.
    virtual SaveDialogSetup GetSaveDialogSetup() const;

    // Asks for a name in the save dialog, then saves.
    BOOL DoSave();

private:
    void UpdateFrameTitle();

    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    std::vector<CView*> m_views;
};
