#include "document/VeilcutDoc.h"

#include "framework/DialogHost.h"
#include "framework/FileDialog.h"
#include "app/VeilcutApp.h"
#include "display/VeilcutView.h"
#include "document/DocumentMessages.h"
#include "document/MaskBurn.h"
#include "document/PictureFormats.h"
#include "document/PictureWriter.h"



void CVeilcutDoc::OnFileSaveAs()
{
    m_view->Invalidate(FALSE);
    CFileDialog dialog(FALSE, QStringLiteral("jpg"), m_fileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.bmp)|*.bmp||"));
    dialog.m_ofn.lpstrInitialDir = m_saveDir;
    if (dialog.DoModal() == IDOK) {
        theApp.DoWaitCursor(1);
        const CString path = dialog.GetPathName();
        OnSaveDocument(path);
        m_saveDir = FolderOf(path);
        theApp.DoWaitCursor(-1);
    }
    m_view->Invalidate(FALSE);
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
    const PictureEllipse ellipse = MapEllipseToPicture(m_view->m_ellipse, m_view->m_displayRect, m_scale);
    BurnEllipse(m_picture, unsigned(m_pictureRect.Width()), unsigned(m_pictureRect.Height()), ellipse);
    // A face now hidden is not to be offered again.
    m_faces.Forget();

    const bool written = WritePictureFile(m_picture, format->format, format->flags, path, ellipse);
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

void CVeilcutDoc::ResumeOpen()
{
    if (m_openPending)
        OnFileOpen();
}
