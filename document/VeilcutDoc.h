#pragma once

#include "framework/CRect.h"
#include "framework/Document.h"
#include "app/MaskSettings.h"
#include "document/CoveredAreas.h"
#include "io/PictureRotation.h"
#include "faces/FaceCycle.h"
#include "io/BitmapPtr.h"
#include "io/MaskBurn.h"
#include "io/PictureFormats.h"

#include <FreeImage.h>
#include <QImage>
#include <QUndoStack>

#include <vector>

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
    // Cleared, it also forgets the turns made since the last save or open.
    void SetModifiedFlag(BOOL bModified = TRUE) override;

    void OnFileOpen();
    void OnFileSaveAs();
    void OnRotateLeft();
    void OnRotateRight();
    // Bound to the T key; it does nothing.
    void OnKeyT() {}
    void OnUpdateRotateLeft(CCmdUI* pCmdUI);
    void OnUpdateRotateRight(CCmdUI* pCmdUI);
    void OnUpdateFileSaveAs(CCmdUI* pCmdUI);
    void OnEditUndo();
    void OnEditRedo();
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateEditRedo(CCmdUI* pCmdUI);

    // The layout of a newly opened picture: fits it into the view, places its
    // one ellipse and rebuilds the display copy.
    void FitToView();
    // Fits the picture into the view again; the ellipses stay where they are on the picture.
    void Relayout();
    // After the view changed size: Relayout. False when there was nothing to lay out.
    bool RefitToView();

    // Every ellipse in the picture pixels the burn paints.
    std::vector<PictureEllipse> PictureEllipses() const;
    // Makes `after` the covered areas as one step that Undo takes back.
    void ChangeCovered(const CoveredAreas& after);
    // Records the change from `before` to the current covered areas as one
    // step, if an ellipse moved (a drag made live).
    void RecordCoverChange(const CoveredAreas& before);
    // Shows `areas` as the covered areas, without a step (undo and redo).
    void ShowCovered(const CoveredAreas& areas);
    // Turns the picture and shows `areas` with it; `turns` is +1 for a turn, -1
    // for one taken back. False when there was no room for the turned copy.
    bool ApplyTurn(QuarterTurn turn, const CoveredAreas& areas, int turns);
    // The ellipse offset, colour and folders from and to the profile.
    void LoadSettings();
    void SaveSettings();

    CVeilcutView* m_view = nullptr;
    BitmapPtr m_picture;
    // What the view paints of the picture, upright and ready to copy.
    QImage m_display;
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
    // What is covered, in picture pixels; the view derives its rectangles from it.
    CoveredAreas m_covered;
    // The one ellipse as the last Open placed it, until anything moves it.
    std::optional<CoverEllipse> m_openPlace;
    // Ellipse changes and turns since the picture was opened.
    QUndoStack m_undo;
    // Turns since the last save or open, less those taken back: not zero, the picture differs.
    int m_turnsSinceClean = 0;
    // Counts the pictures opened, or lost trying, to tell when Open kept the one shown.
    int m_opened = 0;

protected:
    DECLARE_MESSAGE_MAP()

    SaveDialogSetup GetSaveDialogSetup() const override;

private:
    // Runs the Open command again when an earlier one was interrupted by the prompt.
    void ResumeOpen();
    void ReplacePicture(BitmapPtr picture);
    // Replaces the picture by its turned copy, lays it out anew and marks the document modified.
    void TurnQuarter(QuarterTurn turn);
    // Burns the ellipses and writes the file; the picture in memory keeps the
    // burn only when the file was written. false with the user told why.
    bool BurnAndWrite(const PictureFormat& format, const CString& path);
    // Loads whatever format the file's bytes are in, upright and at 24 bits;
    // false with the user told why.
    bool LoadPicture(const CString& path);
};

// The folder of a path, ending in a separator.
CString FolderOf(const CString& path);
// The name of a path without its folder.
CString FileNameOf(const CString& path);
