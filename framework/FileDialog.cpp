#include "FileDialog.h"

#include "DialogHost.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const CString& defExt, const CString& fileName, DWORD flags,
                         const CString& filter, QWidget* /*parent*/)
    : m_bOpenFileDialog(bOpenFileDialog), m_defExt(defExt), m_fileName(fileName), m_filter(filter)
{
    m_ofn.Flags = flags;
}

int CFileDialog::DoModal()
{
    FileDialogRequest request;
    request.open = m_bOpenFileDialog;
    request.defaultExtension = m_defExt;
    request.fileName = m_fileName;
    request.flags = m_ofn.Flags;
    request.filter = m_filter;
    request.initialFolder = m_ofn.lpstrInitialDir;
    m_pathName.clear();
    return AfxGetDialogHost().RunFileDialog(request, &m_pathName);
}

CString CFileDialog::GetFileName() const
{
    return m_pathName.mid(m_pathName.lastIndexOf(QLatin1Char('/')) + 1);
}
