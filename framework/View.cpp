#include "framework/View.h"

#include "framework/Cursor.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

BEGIN_MESSAGE_MAP(CView, CCmdTarget)
END_MESSAGE_MAP()

UINT AfxVirtualKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return UINT(0x41 + (qtKey - Qt::Key_A));
    switch (qtKey) {
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

namespace {
// The modifiers of the key press being handled.
Qt::KeyboardModifiers keyModifiers;
} // namespace

short GetKeyState(UINT virtualKey)
{
    return virtualKey == VK_SHIFT && (keyModifiers & Qt::ShiftModifier) ? short(-128) : short(0);
}

CView::CView()
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    AfxSetCursorWindow(this);
}

CFrameWnd* CView::GetParentFrame() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(w))
            return frame;
    }
    return nullptr;
}

BOOL CView::PreCreateWindow(CREATESTRUCT& /*cs*/)
{
    return TRUE;
}

void CView::OnInitialUpdate()
{
    Invalidate(TRUE);
}

void CView::AttachDocument(CDocument* document)
{
    m_pDocument = document;
    if (document)
        document->AddView(this);
}

BOOL CView::OnCmdMsg(UINT id, CCmdUI* pUI)
{
    if (DispatchCmdMsg(id, pUI))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(id, pUI);
}

void CView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    OnDraw(&painter);
}

CPoint CView::ClientPoint(QMouseEvent* event)
{
    return CPoint(event->position().toPoint());
}

void CView::mousePressEvent(QMouseEvent* event)
{
    const UINT message = event->button() == Qt::LeftButton    ? WM_LBUTTONDOWN
                         : event->button() == Qt::RightButton ? WM_RBUTTONDOWN
                                                              : 0;
    DispatchMouse(message, 0, ClientPoint(event), [&] { QWidget::mousePressEvent(event); });
}

void CView::mouseReleaseEvent(QMouseEvent* event)
{
    const UINT message = event->button() == Qt::LeftButton ? WM_LBUTTONUP : 0;
    DispatchMouse(message, 0, ClientPoint(event), [&] { QWidget::mouseReleaseEvent(event); });
}

void CView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is a message of its own that the
    // view does not handle; Qt's default would turn it into a press.
    event->ignore();
}

void CView::mouseMoveEvent(QMouseEvent* event)
{
    CPoint point = ClientPoint(event);
    if (GetClipCursor() && !IsClipCursorOnServer()) {
        const CPoint screen(event->globalPosition().toPoint());
        const CPoint confined = ConfineToClipCursor(screen);
        if (!(confined == screen)) {
            SetCursorPos(confined.x, confined.y);
            point = CPoint(mapFromGlobal(confined.ToQPoint()));
        }
    }
    DispatchMouse(WM_MOUSEMOVE, 0, point, [&] { QWidget::mouseMoveEvent(event); });
}

void CView::keyPressEvent(QKeyEvent* event)
{
    // Keys held with Alt are system keys; the view's key handler never sees them.
    const UINT key = (event->modifiers() & Qt::AltModifier) ? 0 : AfxVirtualKey(event->key());
    const UINT message = key ? WM_KEYDOWN : 0;
    keyModifiers = event->modifiers();
    DispatchKey(message, key, UINT(event->count()), 0, [&] { QWidget::keyPressEvent(event); });
    keyModifiers = Qt::NoModifier;
}

bool CView::focusNextPrevChild(bool /*next*/)
{
    return false;
}

void CView::wheelEvent(QWheelEvent* event)
{
    // A wheel the view does not use goes on to the window around it.
    const BOOL used = DispatchWheel(0, short(event->angleDelta().y()), CPoint(event->position().toPoint()), [&] {
        QWidget::wheelEvent(event);
        return LRESULT(event->isAccepted());
    });
    event->setAccepted(used);
}
