#include "document/VeilcutDoc.h"

#include "framework/DialogHost.h"
#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "display/VeilcutView.h"
#include "document/DocumentMessages.h"
#include "io/MaskBurn.h"
#include "io/PictureFormats.h"
#include "io/PictureWriter.h"



void CVeilcutDoc::OnFileSaveAs()
{
    m_view->Invalidate(FALSE);
    const FREE_IMAGE_FORMAT proposed = ProposedSaveFormat(m_sourceFormat);
    CFileDialog dialog(FALSE, SaveDialogExtension(proposed), ProposedSaveName(m_fileName, m_sourceFormat),
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, SaveDialogFilter(proposed));
    dialog.m_ofn.lpstrInitialDir = m_saveDir;
    if (dialog.DoModal() == IDOK) {
        CWaitCursor wait;
        const CString path = dialog.GetPathName();
        OnSaveDocument(path);
        m_saveDir = FolderOf(path);
    }
    m_view->Invalidate(FALSE);
}

CDocument::SaveDialogSetup CVeilcutDoc::GetSaveDialogSetup() const
{
    // Ctrl+S offers what Save As offers, proposing the shown picture's own folder and name.
    CString shown = GetPathName();
    if (shown.isEmpty() && !m_fileName.isEmpty())
        shown = m_openDir + m_fileName;
    const FREE_IMAGE_FORMAT proposed = ProposedSaveFormat(m_sourceFormat);
    return {FolderOf(shown) + ProposedSaveName(FileNameOf(shown), m_sourceFormat), SaveDialogFilter(proposed),
            SaveDialogExtension(proposed)};
}

BOOL CVeilcutDoc::OnSaveDocument(const CString& path)
{
    const std::optional<PictureFormat> format = SaveFormatOf(path);
    if (!format) {
        AfxMessageBox(DocumentMessages::UnsupportedSaveFormat(), MB_OK, 0);
        return FALSE;
    }
    if (!m_picture) {
        // The framework's Save can get here before any picture was opened.
        AfxMessageBox(DocumentMessages::SaveError(), MB_OK, 0);
        return FALSE;
    }
    if (!m_view->FacesCoveredForSave())
        return FALSE;
    const bool written = BurnAndWrite(*format, path);
    if (written) {
        SetModifiedFlag(FALSE);   // a failed save keeps the turned picture guarded by the prompt
        // A face now hidden is not to be offered again.
        m_faces.ForgetSearch();
        m_view->BuildDisplayImage();
    }
    m_view->Invalidate(TRUE);
    return written;
}

bool CVeilcutDoc::BurnAndWrite(const PictureFormat& format, const CString& path)
{
    const std::vector<PictureEllipse> ellipses = PictureEllipses();
    UndoableBurn burn(m_picture.get(), ellipses);
    // A file with no face hidden is written only when the user says so.
    if (!burn.CoversAnything() && AfxMessageBox(DocumentMessages::NothingCovered(), MB_YESNO, 0) != IDYES)
        return false;
    if (WritePictureFile(m_picture.get(), format.format, format.flags, path, ellipses))
        return true;
    // The picture is as it was, so the next save burns only what is covered then.
    burn.Undo();
    AfxMessageBox(DocumentMessages::SaveError(), MB_OK, 0);
    return false;
}

BOOL CVeilcutDoc::SaveModified()
{
    if (!IsModified())
        return TRUE;
    m_view->Invalidate(FALSE);
    switch (AfxMessageBox(DocumentMessages::SavePrompt(m_fileName), MB_YESNOCANCEL, 0)) {
    case IDCANCEL:
        m_openPending = FALSE;
        return FALSE;
    case IDYES:
        OnFileSaveAs();
        if (IsModified()) {
            // Nothing was saved: keep the picture as if the user had cancelled.
            m_openPending = FALSE;
            return FALSE;
        }
        ResumeOpen();
        return TRUE;
    case IDNO:
        SetModifiedFlag(FALSE);
        ResumeOpen();
        return TRUE;
    default:
        return TRUE;
    }
}

BOOL CVeilcutDoc::CanCloseFrame(CFrameWnd* frame)
{
    // Closing is no Open: an earlier Open that loaded nothing is not taken up again.
    m_openPending = FALSE;
    return CDocument::CanCloseFrame(frame);
}

void CVeilcutDoc::ResumeOpen()
{
    if (m_openPending)
        OnFileOpen();
}
