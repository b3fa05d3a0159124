#include "app/MainFrm.h"

#include "document/VeilcutDoc.h"
#include "resources/Resources.h"
#include "resources/resource.h"

#include <QGuiApplication>
#include <QScreen>

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // Restored, the window covers the primary screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    cs.cx = screen ? screen->geometry().width() : 0;
    cs.cy = screen ? screen->geometry().height() : 0;
    return TRUE;
}

int CMainFrame::OnCreate(CREATESTRUCT& cs)
{
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | CBRS_TOP | CBRS_GRIPPER | CBRS_FLOAT_MULTI | CBRS_FLYBY |
                                   CBRS_SIZE_DYNAMIC,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_TOOLBAR))
        return -1;

    EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    m_toolImages.Create(40, 40, ILC_COLOR32, 5, 5);
    FillToolImages();
    m_wndToolBar.SetImageList(&m_toolImages);
    m_wndToolBar.LoadToolBar(IDR_TOOLBAR);
    ShowControlBar(&m_wndToolBar, TRUE, FALSE);
    return 0;
}

void CMainFrame::FillToolImages()
{
    // The list index is the button's picture index.
    const CResourceTable& resources = VeilcutResources();
    m_toolImages.Add(QPixmap(resources.FindImage(IDB_OPEN)));
    m_toolImages.Add(QPixmap(resources.FindImage(IDB_SAVE_AS)));
    m_toolImages.ReplaceIcon(-1, QIcon(resources.FindImage(IDI_EMPTY)));
    m_toolImages.Add(QPixmap(resources.FindImage(IDB_ROTATE_LEFT)));
    m_toolImages.Add(QPixmap(resources.FindImage(IDB_ROTATE_RIGHT)));
}

void CMainFrame::OnClose()
{
    // Written before the save question, so a cancelled close has kept them too.
    if (m_doc)
        m_doc->SaveSettings();
    CFrameWnd::OnClose();
}
