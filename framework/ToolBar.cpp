#include "framework/ToolBar.h"

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/ResourceTable.h"
#include "framework/Wnd.h"

#include <QCoreApplication>
#include <QStyle>
#include <QToolButton>

namespace {
// A floating bar is a window of its own, but the keyboard stays with the
// frame: the frame is made active again whenever the bar's window is, and
// keys that reach the bar anyway go on to the frame's view.
class KeyboardStaysWithFrame : public QObject {
public:
    KeyboardStaysWithFrame(QToolBar* bar, CFrameWnd* frame) : QObject(bar), m_bar(bar), m_frame(frame)
    {
        bar->setAttribute(Qt::WA_ShowWithoutActivating);
        bar->installEventFilter(this);
        // Floating or docking re-creates the bar's window; the frame stays the active one.
        QObject::connect(bar, &QToolBar::topLevelChanged, frame, &QWidget::activateWindow, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_bar || !m_bar->isWindow())
            return false;
        if (event->type() == QEvent::WindowActivate) {
            m_frame->activateWindow();
        } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            if (CView* view = m_frame->GetActiveView()) {
                QCoreApplication::sendEvent(view, event);
                return true;
            }
        }
        return false;
    }

private:
    QToolBar* m_bar;
    CFrameWnd* m_frame;
};
} // namespace

BOOL CToolBar::CreateEx(CFrameWnd* parent, DWORD /*ctrlStyle*/, DWORD style, const CRect& /*borders*/, UINT id)
{
    if (!parent)
        return FALSE;
    m_bar = new QToolBar(parent);
    m_bar->setObjectName(QStringLiteral("ToolBar%1").arg(id));
    // Qt names the bar by its title in the frame's menus.
    m_bar->setWindowTitle(QStringLiteral("Toolbar"));
    m_bar->setMovable(style & CBRS_GRIPPER);
    m_bar->setFloatable(true);
    m_bar->setVisible(false);
    new KeyboardStaysWithFrame(m_bar, parent);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT resourceId)
{
    const CResourceTable& resources = AfxGetResources();
    const ToolBarResource* layout = resources.FindToolBar(resourceId);
    if (!m_bar || !layout)
        return FALSE;
    // A second load lays the buttons out anew.
    qDeleteAll(m_bar->actions());
    m_bar->clear();
    m_buttons.clear();
    m_items = layout->items;
    m_bar->setIconSize(layout->imageSize);
    m_strip = QPixmap(resources.FindImage(resourceId));
    auto* frame = qobject_cast<QMainWindow*>(m_bar->parentWidget());
    for (UINT id : m_items) {
        if (id == 0) {
            m_bar->addSeparator();
            m_buttons.push_back(nullptr);
            continue;
        }
        QAction* button = m_bar->addAction(QString());
        if (auto* target = dynamic_cast<CFrameWnd*>(frame))
            QObject::connect(button, &QAction::triggered, target, [target, id] { target->SendCommand(id); });
        m_buttons.push_back(button);
    }
    ApplyImages();
    AddCloseButton();
    return TRUE;
}

void CToolBar::AddCloseButton()
{
    // A floating Qt toolbar has no frame with a close box; this button stands
    // in for it and shows only while the bar floats.
    auto* button = new QToolButton(m_bar);
    button->setText(QStringLiteral("Close"));
    button->setIcon(m_bar->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, m_bar.data(), &QWidget::hide);
    QAction* holder = m_bar->addWidget(button);
    holder->setVisible(m_bar->isFloating());
    QObject::connect(m_bar.data(), &QToolBar::topLevelChanged, holder, &QAction::setVisible);
}

void CToolBar::EnableDocking(DWORD /*dockStyle*/)
{
    if (m_bar)
        m_bar->setAllowedAreas(Qt::AllToolBarAreas);
}

void CToolBar::SetImageList(const CImageList* images)
{
    m_images = images;
    ApplyImages();
}

void CToolBar::ApplyImages()
{
    int image = 0;
    for (QAction* button : m_buttons) {
        if (!button)
            continue;
        QPixmap picture = m_images ? m_images->GetImage(image) : QPixmap();
        if (picture.isNull() && !m_strip.isNull()) {
            const QSize size = m_bar->iconSize();
            picture = m_strip.copy(image * size.width(), 0, size.width(), size.height());
        }
        button->setIcon(QIcon(picture));
        ++image;
    }
}

long CToolBar::GetStyle() const
{
    return m_bar && m_bar->isVisible() ? WS_VISIBLE : 0;
}

UINT CToolBar::GetItemID(int index) const
{
    return index >= 0 && index < int(m_items.size()) ? m_items[size_t(index)] : 0;
}

QAction* CToolBar::GetButton(int index) const
{
    return index >= 0 && index < int(m_buttons.size()) ? m_buttons[size_t(index)] : nullptr;
}

void CToolBar::UpdateCmdUI(CFrameWnd* target)
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (!m_buttons[i])
            continue;
        CCmdUI state(m_items[i]);
        state.DoUpdate(target);
        m_buttons[i]->setEnabled(state.m_bEnabled);
    }
}
