#include "display/VeilcutView.h"

#include "app/MainFrm.h"
#include "display/DisplayImage.h"
#include "display/FitLayout.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QTimer>
#include <QWindow>

#include <utility>

BEGIN_MESSAGE_MAP(CVeilcutView, CView)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_RBUTTONDOWN()
    ON_COMMAND(ID_HELP, &CVeilcutView::OnHotKeys)
END_MESSAGE_MAP()

CVeilcutView::CVeilcutView()
    : m_cursorArrow(AfxLoadStandardCursor(IDC_ARROW)),
      m_cursorOpenHand(AfxLoadCursor(IDC_OPEN_HAND)),
      m_cursorClosedHand(AfxLoadCursor(IDC_CLOSED_HAND)),
      m_cursorSizeNS(AfxLoadStandardCursor(IDC_SIZENS)),
      m_cursorSizeWE(AfxLoadStandardCursor(IDC_SIZEWE))
{
}

CVeilcutDoc* CVeilcutView::GetDocument() const
{
    return static_cast<CVeilcutDoc*>(CView::GetDocument());
}

BOOL CVeilcutView::PreCreateWindow(CREATESTRUCT& cs)
{
    // White background and no cursor of its own: the mouse handlers choose the shape.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    unsetCursor();
    return CView::PreCreateWindow(cs);
}

void CVeilcutView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    CVeilcutDoc* doc = GetDocument();
    doc->m_view = this;
    if (doc->m_settingsLoaded)
        return;
    if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame()))
        frame->m_doc = doc;
    m_ellipse = DefaultEllipse(CPoint(0, 0));
    doc->LoadSettings();
    // The view has no place on the screen until the frame is shown.
    m_startPending = true;
}

void CVeilcutView::showEvent(QShowEvent* event)
{
    CView::showEvent(event);
    if (QWindow* shown = window()->windowHandle(); shown && m_startPending)
        shown->installEventFilter(this);
}

bool CVeilcutView::eventFilter(QObject* watched, QEvent* event)
{
    // Before the first paint, so a picture from the command line is shown at
    // the size the window first shows at.
    if (event->type() == QEvent::Expose && m_startPending) {
        auto* shown = static_cast<QWindow*>(watched);
        if (shown->isExposed()) {
            shown->removeEventFilter(this);
            FinishStart();
        }
    }
    return CView::eventFilter(watched, event);
}

void CVeilcutView::FinishStart()
{
    m_startPending = false;
    CVeilcutDoc* doc = GetDocument();
    if (doc && doc->m_picture && doc->m_firstLayout && doc->m_view == this) {
        doc->FitToView();
        Invalidate(TRUE);
    }
    PlacePointer();
}

void CVeilcutView::PlacePointer()
{
    CPoint corner(0, 0);
    ClientToScreen(&corner);
    SetCursorPos(corner.x + 8, corner.y - 15);
}

void CVeilcutView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    if (m_refitQueued)
        return;
    // A live resize sends many sizes in one pass of the event loop; only the
    // last one is laid out.
    m_refitQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refitQueued = false;
        CVeilcutDoc* doc = GetDocument();
        if (doc && doc->m_view == this && doc->RefitToView())
            Invalidate(TRUE);
    });
}

void CVeilcutView::BuildDisplayImage()
{
    CVeilcutDoc* doc = GetDocument();
    QImage spent = std::exchange(doc->m_display, QImage());
    if (!doc->m_picture || m_displayRect.IsRectEmpty())
        return;
    const unsigned w = unsigned(doc->m_pictureRect.Width()), h = unsigned(doc->m_pictureRect.Height());
    doc->m_display = DisplayImage(doc->m_picture.get(), w, h, SourceArea{doc->m_scale},
                                  m_displayRect.ToQRect().size(), devicePixelRatioF(), std::move(spent));
}
