#include "document/VeilcutDoc.h"

#include "framework/CmdUI.h"
#include "framework/DialogHost.h"
#include "framework/FileDialog.h"
#include "app/ProgramFolder.h"
#include "app/VeilcutApp.h"
#include "display/VeilcutView.h"
#include "io/DecoderComplaints.h"
#include "document/DocumentMessages.h"
#include "io/PictureFormats.h"
#include "io/PictureLoader.h"
#include "resources/resource.h"

#include <QDir>


BEGIN_MESSAGE_MAP(CVeilcutDoc, CDocument)
    ON_COMMAND(ID_FILE_OPEN, &CVeilcutDoc::OnFileOpen)
    ON_COMMAND(ID_FILE_SAVE_AS, &CVeilcutDoc::OnFileSaveAs)
    ON_COMMAND(ID_ROTATE_LEFT, &CVeilcutDoc::OnRotateLeft)
    ON_COMMAND(ID_ROTATE_RIGHT, &CVeilcutDoc::OnRotateRight)
    ON_UPDATE_COMMAND_UI(ID_ROTATE_LEFT, &CVeilcutDoc::OnUpdateRotateLeft)
    ON_UPDATE_COMMAND_UI(ID_ROTATE_RIGHT, &CVeilcutDoc::OnUpdateRotateRight)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, &CVeilcutDoc::OnUpdateFileSaveAs)
    ON_COMMAND(ID_EDIT_UNDO, &CVeilcutDoc::OnEditUndo)
    ON_COMMAND(ID_EDIT_REDO, &CVeilcutDoc::OnEditRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CVeilcutDoc::OnUpdateEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, &CVeilcutDoc::OnUpdateEditRedo)
END_MESSAGE_MAP()


CString FolderOf(const CString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/'))) + QLatin1Char('/');
}

CString FileNameOf(const CString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

CVeilcutDoc::CVeilcutDoc()
{
    m_programDir = FindProgramFolder(QDir::currentPath());
    m_openDir = m_programDir;
    m_saveDir = m_programDir;
}

CVeilcutDoc::~CVeilcutDoc() = default;

void CVeilcutDoc::Serialize(CArchive& /*ar*/)
{
    // Pictures never pass through the framework's archive: FreeImage reads and writes the files.
}

BOOL CVeilcutDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

void CVeilcutDoc::OnUpdateRotateLeft(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_picture != nullptr);
}

void CVeilcutDoc::OnUpdateRotateRight(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_picture != nullptr);
}

void CVeilcutDoc::OnUpdateFileSaveAs(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_picture != nullptr);
}

void CVeilcutDoc::OnFileOpen()
{
    m_openPending = TRUE;
    if (IsModified()) {
        // The prompt comes back here after Yes or No.
        SaveModified();
        m_view->Invalidate(FALSE);
        return;
    }
    VeilcutApp().FileNew();
    const int opened = m_opened;

    CFileDialog dialog(TRUE, CString(), CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.jpeg)|*.jpeg|Pict Files (*.bmp)|*.bmp||"));
    dialog.m_ofn.lpstrInitialDir = m_openDir;
    if (dialog.DoModal() == IDOK) {
        CWaitCursor wait;
        const CString path = dialog.GetPathName();
        m_fileName = dialog.GetFileName();
        OnOpenDocument(path);
        m_openDir = FolderOf(path);
    } else {
        m_fileName = QStringLiteral("Nameless");
    }
    SetTitle(m_fileName);
    // The same picture still shown (dialog cancelled, name refused) keeps its ellipses.
    if (opened == m_opened)
        Relayout();
    else
        FitToView();
    m_view->Invalidate(TRUE);
}

BOOL CVeilcutDoc::OnOpenDocument(const CString& path)
{
    if (!CDocument::OnOpenDocument(path))
        return FALSE;
    const std::optional<PictureFormat> format = OpenFormatOf(path);
    if (!format) {
        AfxMessageBox(DocumentMessages::UnsupportedOpenFormat(), MB_OK, 0);
        return FALSE;
    }
    ReplacePicture(nullptr);
    // Nothing from the picture before can be taken back into this one.
    ++m_opened;
    m_undo.clear();
    if (!LoadPicture(format->format, path, format->flags))
        return FALSE;
    // A picture opened from the command line is named after its file, as the Open command names it.
    m_fileName = FileNameOf(path);
    SetModifiedFlag(FALSE);
    m_openPending = FALSE;
    return TRUE;
}

void CVeilcutDoc::ReplacePicture(BitmapPtr picture)
{
    m_picture = std::move(picture);
    m_faces.Forget();
}

bool CVeilcutDoc::LoadPicture(FREE_IMAGE_FORMAT format, const CString& path, int flags)
{
    PictureLoadFailure failure = PictureLoadFailure::None;
    BitmapPtr loaded;
    bool damaged = false;
    {
        // The decoder fills what it could not read with gray and only warns.
        const DecoderComplaints complaints;
        loaded = LoadPictureFile(format, path, flags, &failure);
        damaged = complaints.Heard();
    }
    if (!loaded) {
        AfxMessageBox(failure == PictureLoadFailure::TooLarge ? DocumentMessages::TooLarge()
                                                               : DocumentMessages::LoadError(),
                      MB_OK, 0);
        return false;
    }
    if (FreeImage_GetImageType(loaded.get()) != FIT_BITMAP) {
        AfxMessageBox(DocumentMessages::NotBitmap(), MB_OK, 0);
        return false;
    }
    if (FreeImage_GetBPP(loaded.get()) != 24) {
        BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded.get()));
        loaded.reset();
        if (!converted) {
            // Nothing usable is left; say so rather than report an empty success.
            AfxMessageBox(DocumentMessages::LoadError(), MB_OK, 0);
            return false;
        }
        loaded = std::move(converted);
    }
    ReplacePicture(std::move(loaded));
    if (damaged)
        AfxMessageBox(DocumentMessages::Damaged(), MB_OK, 0);
    return true;
}
