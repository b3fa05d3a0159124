#pragma once

#include "framework/CRect.h"
#include "framework/Document.h"
#include "app/MaskSettings.h"
#include "io/BitmapPtr.h"
#include "document/PictureRotation.h"
#include "faces/FaceCycle.h"

#include <FreeImage.h>

class CCmdUI;
class CVeilcutView;

// The picture, its display copy, the scale between them, the file name and
// the folders of the file dialogs.
class CVeilcutDoc : public CDocument {
public:
    CVeilcutDoc();
    ~CVeilcutDoc() override;

    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const CString& path) override;
    BOOL OnSaveDocument(const CString& path) override;
    BOOL SaveModified() override;
    BOOL CanCloseFrame(CFrameWnd* frame) override;

    void OnFileOpen();
    void OnFileSaveAs();
    void OnRotateLeft();
    void OnRotateRight();
    // Bound to the T key; it does nothing.
    void OnKeyT() {}
    void OnUpdateRotateLeft(CCmdUI* pCmdUI);
    void OnUpdateRotateRight(CCmdUI* pCmdUI);
    void OnUpdateFileSaveAs(CCmdUI* pCmdUI);

    // Fits the picture into the view, places the ellipse and rebuilds the display copy.
    void FitToView();
    // After the view changed size: the same fit, with the ellipse kept over
    // the same part of the picture. False when there was nothing to lay out.
    bool RefitToView();
    // The ellipse offset, colour and folders from and to the profile.
    void LoadSettings();
    void SaveSettings();

    CVeilcutView* m_view = nullptr;
    // Declared in this order so that the display copy goes first.
    BitmapPtr m_picture;
    BitmapPtr m_display;
    // The format the picture was read in (FIF_UNKNOWN before any), whatever its file is called.
    FREE_IMAGE_FORMAT m_sourceFormat = FIF_UNKNOWN;
    CString m_programDir;
    CString m_fileName;
    CString m_openDir;
    CString m_saveDir;
    BOOL m_openPending = FALSE;
    BOOL m_settingsLoaded = FALSE;
    BOOL m_firstLayout = TRUE;
    double m_scale = 1.0;
    MaskSettings m_settings;
    CRect m_pictureRect;
    CRect m_maskOffset;
    // The faces of the picture for the F key, searched again once the picture changed.
    CFaceCycle m_faces;

protected:
    DECLARE_MESSAGE_MAP()

    SaveDialogSetup GetSaveDialogSetup() const override;

private:
    // Runs the Open command again when an earlier one was interrupted by the prompt.
    void ResumeOpen();
    void ReplacePicture(BitmapPtr picture);
    // Replaces the picture by its turned copy, lays it out anew and marks the document modified.
    void TurnQuarter(QuarterTurn turn);
    // Loads whatever format the file's bytes are in, upright and at 24 bits;
    // false with the user told why.
    bool LoadPicture(const CString& path);
};

// The folder of a path, ending in a separator.
CString FolderOf(const CString& path);
// The name of a path without its folder.
CString FileNameOf(const CString& path);
