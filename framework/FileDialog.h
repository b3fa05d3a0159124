#pragma once

#include "framework/AfxTypes.h"

class QWidget;
struct FileDialogAnswer;

// The common open and save dialogs.
class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const CString& defExt = CString(), const CString& fileName = CString(),
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const CString& filter = CString(),
                QWidget* parent = nullptr);

    // IDOK with the chosen path, or IDCANCEL. A save dialog gives a name
    // without a suffix the suffix of the selected filter and, with the
    // overwrite prompt, asks before an existing file is replaced; No asks
    // for another name.
    int DoModal();
    CString GetPathName() const { return m_pathName; }
    // The chosen name without its folder.
    CString GetFileName() const;

    struct OpenFileName {
        CString lpstrInitialDir;
        DWORD Flags = 0;
    } m_ofn;

private:
    // The path with the suffix a save dialog adds to a name that has none.
    CString WithDefaultSuffix(const FileDialogAnswer& answer) const;
    bool MayReplace(const CString& path) const;

    BOOL m_bOpenFileDialog;
    CString m_defExt;
    CString m_fileName;
    CString m_filter;
    CString m_pathName;
};
