#include "display/VeilcutView.h"

#include "app/MainFrm.h"
#include "display/DisplayImage.h"
#include "display/FitLayout.h"
#include "display/Resampling.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QTimer>
#include <QWindow>

BEGIN_MESSAGE_MAP(CVeilcutView, CView)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_RBUTTONDOWN()
    ON_COMMAND(ID_HELP, &CVeilcutView::OnHotKeys)
    ON_COMMAND(ID_EDIT_ADD_ELLIPSE, &CVeilcutView::OnAddEllipse)
    ON_COMMAND(ID_EDIT_DELETE_ELLIPSE, &CVeilcutView::OnDeleteEllipse)
    ON_COMMAND(ID_EDIT_COVER_FACES, &CVeilcutView::OnCoverFaces)
    ON_UPDATE_COMMAND_UI(ID_EDIT_ADD_ELLIPSE, &CVeilcutView::OnUpdateAddEllipse)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE_ELLIPSE, &CVeilcutView::OnUpdateDeleteEllipse)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COVER_FACES, &CVeilcutView::OnUpdateCoverFaces)
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
    doc->m_covered = OnlyEllipse(ToPicture(DefaultEllipse(CPoint(0, 0)), m_transform));
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
    doc->m_display.reset();
    m_displayImage = QImage();
    if (!doc->m_picture || m_displayRect.IsRectEmpty())
        return;
    doc->m_display.reset(FreeImage_Allocate(m_displayRect.Width(), m_displayRect.Height(), 24, 0, 0, 0));
    if (!doc->m_display)
        return;
    const unsigned w = unsigned(doc->m_pictureRect.Width()), h = unsigned(doc->m_pictureRect.Height());
    FIBITMAP* picture = doc->m_picture.get();
    FIBITMAP* display = doc->m_display.get();
    ResampleBilinear(picture, w, h, doc->m_scale, display);
    m_displayImage = DeviceImage(picture, w, h, doc->m_scale, display, devicePixelRatioF());
}

CRect CVeilcutView::EllipseRect(std::size_t index) const
{
    return ToView(GetDocument()->m_covered.ellipses[index], m_transform);
}

std::vector<CRect> CVeilcutView::EllipseRects() const
{
    std::vector<CRect> shown;
    for (const CoverEllipse& e : GetDocument()->m_covered.ellipses)
        shown.push_back(ToView(e, m_transform));
    return shown;
}

CRect CVeilcutView::SelectedRect() const
{
    const std::optional<std::size_t> selected = GetDocument()->m_covered.selected;
    return selected ? EllipseRect(*selected) : CRect();
}

CRect CVeilcutView::SelectedOffset() const
{
    CRect offset = SelectedRect();
    offset.OffsetRect(-m_origin.x, -m_origin.y);
    return offset;
}

void CVeilcutView::PlaceSelected(const CRect& shown)
{
    // A view too small to show the picture maps nothing back onto it.
    if (!(m_transform.scale > 0))
        return;
    CoveredAreas& covered = GetDocument()->m_covered;
    const CoverEllipse placed = ToPicture(shown, m_transform);
    if (covered.selected)
        covered.ellipses[*covered.selected] = placed;
    else
        covered = WithAdded(covered, placed);
}
