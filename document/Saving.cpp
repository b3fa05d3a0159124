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
    CFileDialog dialog(FALSE, SaveDialogExtension(), m_fileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       SaveDialogFilter());
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
    return {shown, SaveDialogFilter(), SaveDialogExtension()};
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
    const std::vector<PictureEllipse> ellipses = PictureEllipses();
    for (const PictureEllipse& ellipse : ellipses)
        BurnEllipse(m_picture.get(), unsigned(m_pictureRect.Width()), unsigned(m_pictureRect.Height()), ellipse);
    // A face now hidden is not to be offered again.
    m_faces.ForgetSearch();

    const bool written = WritePictureFile(m_picture.get(), format->format, format->flags, path,
                                           ellipses.empty() ? PictureEllipse{} : ellipses.front());
    if (!written)
        AfxMessageBox(DocumentMessages::SaveError(), MB_OK, 0);
    else
        SetModifiedFlag(FALSE);   // a failed save keeps the turned picture guarded by the prompt
    m_view->BuildDisplayImage();
    m_view->Invalidate(TRUE);
    return written;
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
