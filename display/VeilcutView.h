#pragma once

#include "framework/Cursor.h"
#include "framework/View.h"

#include <QImage>

class CVeilcutDoc;

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
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnHotKeys();
    // Bound to the F key: the ellipse over the next face found in the picture.
    void OnFindFace();

    // Rebuilds the document's display copy from the picture at the current layout.
    void BuildDisplayImage();
    void DrawCaption(CDC* pDC);

    CRect m_ellipse{0, 0, 1, 1};
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
    // Moves the dragged side, or the whole ellipse, by one pointer step.
    void DragStep(int dx, int dy);
    void DrawOverlay(CDC* pDC);
    // Where the caption and the overlay can show, in client coordinates.
    QRegion OverlayRegion() const;

    bool m_overlayRefreshQueued = false;
    bool m_startPending = false;
    bool m_refitQueued = false;
};

// The four handles at the midpoints of the sides of `rect`, drawn with the current pen.
void DrawHandles(CDC* pDC, const CRect& rect, int halfSize);
void DrawHandle(CDC* pDC, CPoint centre, int halfSize);
