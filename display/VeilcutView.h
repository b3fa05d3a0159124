#pragma once

#include "display/ViewZoom.h"
#include "framework/Cursor.h"
#include "framework/View.h"
#include "document/CoveredAreas.h"
#include "faces/FaceDetector.h"

#include <QImage>

#include <optional>
#include <vector>

class CVeilcutDoc;
struct FaceBox;

// Shows the picture fitted into the window with the mask ellipse over it.
class CVeilcutView : public CView {
public:
    CVeilcutView();

    CVeilcutDoc* GetDocument() const;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    void InvalidateRect(const CRect* rect, BOOL bErase = TRUE) override;

    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnMButtonDown(UINT nFlags, CPoint point);
    void OnMButtonUp(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnHotKeys();
    // Bound to the F key: the selected ellipse over the next face found in the picture.
    void OnFindFace();
    // Shift+F and the Edit menu: an ellipse over every face not yet covered.
    void OnCoverFaces();
    // Insert and the Edit menu: a new ellipse under the pointer, or in the
    // middle of the picture when the pointer is elsewhere.
    void OnAddEllipse();
    // Delete, Backspace and the Edit menu.
    void OnDeleteEllipse();
    void OnUpdateCoverFaces(CCmdUI* pCmdUI);
    // Before a save writes: true to go on. Asks when a face found in the
    // picture is left uncovered; No places a new ellipse over the first one.
    bool FacesCoveredForSave();
    void OnUpdateAddEllipse(CCmdUI* pCmdUI);
    void OnUpdateDeleteEllipse(CCmdUI* pCmdUI);

    // The view rectangle of ellipse `index`, of all of them, of the selected
    // one (empty when none is), derived from the picture pixels by m_transform.
    CRect EllipseRect(std::size_t index) const;
    std::vector<CRect> EllipseRects() const;
    CRect SelectedRect() const;
    // The selected rectangle relative to the display origin, as the profile keeps it.
    CRect SelectedOffset() const;
    // Puts the selected ellipse (a new one when none is selected) where the
    // view rectangle `shown` is; no step to take back.
    void PlaceSelected(const CRect& shown);

    // Rebuilds the document's display copy from the picture at the current layout.
    void BuildDisplayImage();
    // One zoom step in or out around `anchor`, in client coordinates; back
    // to the fitted view once it is reached.
    void ZoomStep(bool in, CPoint anchor);
    void ZoomToFit();
    // After the fitted layout: the zoom, if any, on top of it; a resize from
    // `clientBefore` keeps the picture point at the view's centre.
    void KeepZoom(const CRect& clientBefore);
    void DrawCaption(CDC* pDC);

    // Picture pixels to view pixels, set by every layout, zoom and pan.
    ViewTransform m_transform;
    // Where the fitted layout shows the picture, whatever the zoom: the
    // profile and F measure from it.
    CRect m_fittedRect;
    // None while the picture is fitted to the view.
    std::optional<ViewTransform> m_zoom;
    CRect m_clipRect;
    CRect m_displayRect;
    CRect m_clientRect;
    CPoint m_origin;
    HCURSOR m_cursorArrow;
    HCURSOR m_cursorOpenHand;
    HCURSOR m_cursorClosedHand;
    HCURSOR m_cursorSizeNS;
    HCURSOR m_cursorSizeWE;
    BOOL m_dragLeft = FALSE;
    BOOL m_dragRight = FALSE;
    BOOL m_dragTop = FALSE;
    BOOL m_dragBottom = FALSE;
    BOOL m_dragMove = FALSE;
    CPoint m_lastPoint;
    int m_handleSize = 7;
    COLORREF m_color = RGB(0, 255, 0);

protected:
    DECLARE_MESSAGE_MAP()

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Once the window is first on the screen: lays out a picture opened from
    // the command line and puts the pointer just above the view's top-left corner.
    void FinishStart();
    void PlacePointer();
    bool IsDragging() const;
    // The shape for the pointer at `point`, from the hit tests and the drag under way.
    HCURSOR CursorAt(CPoint point) const;
    // Moves the dragged side of `shown`, or the whole of it, by one pointer step.
    void DragStep(CRect& shown, int dx, int dy) const;
    // Selects the next (`step` 1) or previous (-1) ellipse left to right.
    void SelectStep(int step);
    void DrawOverlay(CDC* pDC);
    // Where the caption and the overlay can show, in client coordinates.
    QRegion OverlayRegion() const;

    // The button that moves the zoomed picture while it is held.
    enum class PanButton { None, Left, Middle };
    ViewTransform FittedView() const;
    // The ellipse F puts over `face`, in picture pixels.
    CoverEllipse EllipseOverFaceInPicture(const FaceBox& face) const;
    QSizeF PictureSize() const;
    QSize ClientSize() const;
    // The part of the picture the display copy shows.
    SourceArea ShownArea() const;
    CPoint ViewCentre() const;
    bool CanZoom() const;
    // Shows `zoom`, or only the transform's part of it while laying out.
    void ShowZoomed(const ViewTransform& zoom);
    void ApplyZoom();
    void StartPan(PanButton button, CPoint point);
    void PanTo(CPoint point);
    void EndPan(PanButton button, CPoint point);

    // The ellipses when the drag under way began, for the step Undo takes back.
    std::optional<CoveredAreas> m_dragBefore;
    bool m_overlayRefreshQueued = false;
    bool m_startPending = false;
    bool m_refitQueued = false;
    PanButton m_pan = PanButton::None;
    CPoint m_panLast;
    // Wheel turn not yet used up by a zoom step.
    int m_wheelTurn = 0;
};

// The four handles at the midpoints of the sides of `rect`, drawn with the current pen.
void DrawHandles(CDC* pDC, const CRect& rect, int halfSize);
void DrawHandle(CDC* pDC, CPoint centre, int halfSize);
