#include "framework/FrameWnd.h"

#include "framework/AfxRes.h"
#include "framework/CmdUI.h"
#include "framework/Document.h"
#include "framework/ResourceTable.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QThread>
#include <QWindow>

BEGIN_MESSAGE_MAP(CFrameWnd, CCmdTarget)
    ON_WM_CREATE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd()
{
    // Toolbar buttons follow their update handlers whenever the loop has nothing to do.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                         [this] { UpdateToolBarUI(); });
    }
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, CCreateContext* context)
{
    m_strTitle = AfxLoadString(resourceId).section(QLatin1Char('\n'), 0, 0);
    const CResourceTable& resources = AfxGetResources();
    if (const MenuResource* menu = resources.FindMenu(resourceId))
        BuildMenuBar(*menu);
    const QString icon = resources.FindImage(resourceId);
    if (!icon.isEmpty())
        setWindowIcon(QIcon(icon));
    BuildAccelerators(resourceId);

    CREATESTRUCT cs;
    if (!PreCreateWindow(cs))
        return FALSE;
    if (cs.cx > 0 && cs.cy > 0)
        SetRestoredFrameSize(QSize(cs.cx, cs.cy));

    m_pCreateContext = context;
    int created = 0;
    if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_CREATE); e && e->sig == AfxSig::Create)
        created = e->handler.create(this, cs);
    m_pCreateContext = nullptr;
    if (created == -1)
        return FALSE;
    OnUpdateFrameTitle();
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& /*cs*/)
{
    return TRUE;
}

int CFrameWnd::OnCreate(CREATESTRUCT& /*cs*/)
{
    if (!m_pCreateContext || !m_pCreateContext->newView)
        return 0;
    std::unique_ptr<CView> view = m_pCreateContext->newView();
    CREATESTRUCT viewCs;
    if (!view || !view->PreCreateWindow(viewCs))
        return -1;
    view->AttachDocument(m_pCreateContext->document);
    CView* client = view.release();   // the frame owns its client window from here on
    setCentralWidget(client);
    setFocusProxy(client);
    m_pView = client;
    return 0;
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    return m_pView ? m_pView->GetDocument() : nullptr;
}

void CFrameWnd::OnUpdateFrameTitle()
{
    const CDocument* doc = GetActiveDocument();
    const CString docTitle = doc ? doc->GetTitle() : CString();
    setWindowTitle(docTitle.isEmpty() ? m_strTitle : docTitle + QStringLiteral(" - ") + m_strTitle);
}

QAction* CFrameWnd::CommandAction(const QString& text, UINT id)
{
    auto* action = new QAction(text, this);
    m_commandIds[action] = id;
    QObject::connect(action, &QAction::triggered, this, [this, id] { SendCommand(id); });
    return action;
}

void CFrameWnd::BuildMenuBar(const MenuResource& menu)
{
    for (const MenuBarEntry& entry : menu.entries) {
        if (entry.items.empty()) {
            // An item on the bar itself is always enabled.
            menuBar()->addAction(CommandAction(entry.text, entry.id));
            continue;
        }
        QMenu* popup = menuBar()->addMenu(entry.text);
        for (const MenuItemResource& item : entry.items) {
            if (item.id == 0)
                popup->addSeparator();
            else
                popup->addAction(CommandAction(item.text, item.id));
        }
        QObject::connect(popup, &QMenu::aboutToShow, this, [this, popup] { UpdateMenuUI(popup); });
    }
}

void CFrameWnd::BuildAccelerators(UINT resourceId)
{
    std::vector<AcceleratorEntry> keys;
    if (const auto* table = AfxGetResources().FindAccelerators(resourceId))
        keys = *table;
    // The help key is the framework's own, not an accelerator of the program.
    keys.push_back({QKeySequence(Qt::Key_F1), ID_HELP});
    // The system's close key, for window managers that leave it to the window.
    auto* closeKey = new QAction(this);
    closeKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    closeKey->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(closeKey, &QAction::triggered, this, &QWidget::close);
    addAction(closeKey);
    for (const AcceleratorEntry& key : keys) {
        // Always enabled, so the key is taken even when its command does nothing.
        auto* action = new QAction(this);
        action->setShortcut(key.key);
        action->setShortcutContext(Qt::WindowShortcut);
        const UINT id = key.id;
        QObject::connect(action, &QAction::triggered, this, [this, id] { SendCommand(id); });
        addAction(action);
    }
}

BOOL CFrameWnd::OnCmdMsg(UINT id, CCmdUI* pUI)
{
    if (m_pView && m_pView->OnCmdMsg(id, pUI))
        return TRUE;
    if (DispatchCmdMsg(id, pUI))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, pUI);
}

BOOL CFrameWnd::IsCommandEnabled(UINT id)
{
    CCmdUI state(id);
    state.DoUpdate(this);
    return state.m_bEnabled;
}

void CFrameWnd::SendCommand(UINT id)
{
    if (IsCommandEnabled(id))
        OnCmdMsg(id, nullptr);
}

void CFrameWnd::UpdateMenuUI(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        const auto it = m_commandIds.find(action);
        if (it != m_commandIds.end())
            action->setEnabled(IsCommandEnabled(it->second));
    }
}

void CFrameWnd::UpdateToolBarUI()
{
    if (m_updating || m_bDestroyed)
        return;
    m_updating = true;
    for (CToolBar* bar : m_controlBars)
        bar->UpdateCmdUI(this);
    m_updating = false;
}

void CFrameWnd::EnableDocking(DWORD /*dockStyle*/)
{
    setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
}

void CFrameWnd::DockControlBar(CToolBar* bar)
{
    if (!bar || !bar->GetToolBar())
        return;
    addToolBar(Qt::TopToolBarArea, bar->GetToolBar());
    if (std::find(m_controlBars.begin(), m_controlBars.end(), bar) == m_controlBars.end())
        m_controlBars.push_back(bar);
}

void CFrameWnd::ShowControlBar(CToolBar* bar, BOOL bShow, BOOL /*bDelay*/)
{
    if (bar && bar->GetToolBar())
        bar->GetToolBar()->setVisible(bShow);
}

void CFrameWnd::OnClose()
{
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this))
        return;
    DestroyWindow();
}

void CFrameWnd::DestroyWindow()
{
    m_bDestroyed = TRUE;
    hide();
    // Ending the loop is for the loop that runs; with none running, exit()
    // would make every later loop return at once.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void CFrameWnd::closeEvent(QCloseEvent* event)
{
    // Whether the window really goes is the close handler's decision.
    event->ignore();
    if (m_bDestroyed) {
        event->accept();
        return;
    }
    DispatchVoid(WM_CLOSE, [this] { OnClose(); });
}

void CFrameWnd::SetRestoredFrameSize(QSize size)
{
    m_restoredFrameSize = size;
    // With the native window made, platforms that know the border already can tell it.
    winId();
    FitRestoredFrameSize();
}

void CFrameWnd::FitRestoredFrameSize()
{
    if (m_restoredFrameSize.isEmpty() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins border = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(m_restoredFrameSize.shrunkBy(border));
    // Once the border is known the size is final; later sizes are the user's.
    if (!border.isNull())
        m_restoredFrameSize = QSize();
}

void CFrameWnd::changeEvent(QEvent* event)
{
    // A window manager frames the window only once it shows; the first
    // restore after that corrects the size for the border.
    if (event->type() == QEvent::WindowStateChange)
        FitRestoredFrameSize();
    QMainWindow::changeEvent(event);
}
