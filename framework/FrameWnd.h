#pragma once

#include "framework/View.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class CDocument;
class CToolBar;
class QMenu;
struct MenuResource;

constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

// What the template hands a frame so that it can make its view.
struct CCreateContext {
    std::function<std::unique_ptr<CView>()> newView;
    CDocument* document = nullptr;
};

// The top-level window: menu bar, accelerators, control bars and the view as
// its client. Commands from all of them are routed view, document, frame,
// application.
class CFrameWnd : public QMainWindow, public CWnd {
public:
    CFrameWnd();

    QWidget* GetWidget() override { return this; }

    // Builds the window from the resources named `resourceId` and creates the view.
    BOOL LoadFrame(UINT resourceId, CCreateContext* context);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    int OnCreate(CREATESTRUCT& cs);
    void OnClose();

    CView* GetActiveView() const { return m_pView; }
    CDocument* GetActiveDocument() const;
    void OnUpdateFrameTitle();

    void EnableDocking(DWORD dockStyle);
    void DockControlBar(CToolBar* bar);
    void ShowControlBar(CToolBar* bar, BOOL bShow, BOOL bDelay);

    BOOL OnCmdMsg(UINT id, CCmdUI* pUI) override;
    // A command from a menu, a key or a button: run unless its update
    // handler disables it or nobody handles it.
    void SendCommand(UINT id);
    // Enable states of a pop-up's items and of the toolbar buttons.
    void UpdateMenuUI(QMenu* menu);
    void UpdateToolBarUI();

    // Hides the window for good and ends the message loop if it is the main window.
    void DestroyWindow();
    BOOL IsDestroyed() const { return m_bDestroyed; }

protected:
    DECLARE_MESSAGE_MAP()

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenuBar(const MenuResource& menu);
    void BuildAccelerators(UINT resourceId);
    QAction* CommandAction(const QString& text, UINT id);
    BOOL IsCommandEnabled(UINT id);
    // The creation size is the whole window's, caption and border included.
    void SetRestoredFrameSize(QSize size);
    void FitRestoredFrameSize();

    CString m_strTitle;
    CView* m_pView = nullptr;
    CCreateContext* m_pCreateContext = nullptr;
    std::map<QAction*, UINT> m_commandIds;
    std::vector<CToolBar*> m_controlBars;
    BOOL m_bDestroyed = FALSE;
    bool m_updating = false;
    QSize m_restoredFrameSize;
};
