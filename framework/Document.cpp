#include "framework/Document.h"

#include "framework/AfxRes.h"
#include "framework/DialogHost.h"
#include "framework/FileDialog.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QFile>

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
END_MESSAGE_MAP()

void CDocument::SetTitle(const CString& title)
{
    m_strTitle = title;
    UpdateFrameTitle();
}

void CDocument::UpdateFrameTitle()
{
    for (CView* view : m_views) {
        if (CFrameWnd* frame = view->GetParentFrame())
            frame->OnUpdateFrameTitle();
    }
}

void CDocument::SetPathName(const CString& path, BOOL bAddToMRU)
{
    m_strPathName = path;
    SetTitle(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    if (bAddToMRU && AfxGetApp())
        AfxGetApp()->AddToRecentFileList(path);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const CString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AfxMessageBox(QStringLiteral("Cannot open the file\n%1\n(%2).").arg(path, file.errorString()));
        return FALSE;
    }
    DeleteContents();
    CArchive ar;
    Serialize(ar);
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const CString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        AfxMessageBox(QStringLiteral("Cannot save the file\n%1\n(%2).").arg(path, file.errorString()));
        return FALSE;
    }
    CArchive ar;
    Serialize(ar);
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    const CString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    switch (AfxMessageBox(QStringLiteral("Save changes to %1?").arg(name), MB_YESNOCANCEL)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoSave();
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* /*frame*/)
{
    return SaveModified();
}

void CDocument::Serialize(CArchive& /*ar*/)
{
}

void CDocument::AddView(CView* view)
{
    m_views.push_back(view);
}

void CDocument::OnFileSave()
{
    DoSave();
}

CDocument::SaveDialogSetup CDocument::GetSaveDialogSetup() const
{
    return {m_strPathName, CString(), CString()};
}

BOOL CDocument::DoSave()
{
    // The name is always confirmed in the save dialog, so a file (the opened
    // original above all) is only replaced after the overwrite question.
    const SaveDialogSetup setup = GetSaveDialogSetup();
    const CString& proposal = setup.proposedPath;
    const int slash = int(proposal.lastIndexOf(QLatin1Char('/')));
    CFileDialog dialog(FALSE, setup.defaultExtension, proposal.isEmpty() ? m_strTitle : proposal.mid(slash + 1),
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, setup.filter);
    if (slash >= 0)
        dialog.m_ofn.lpstrInitialDir = proposal.left(slash + 1);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    const CString target = dialog.GetPathName();
    if (!OnSaveDocument(target))
        return FALSE;
    SetPathName(target);
    return TRUE;
}
