#pragma once

#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/ToolBar.h"

class CVeilcutDoc;

class CMainFrame : public CFrameWnd {
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate(CREATESTRUCT& cs);
    void OnClose();

    CToolBar m_wndToolBar;
    CImageList m_toolImages;
    CVeilcutDoc* m_doc = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void FillToolImages();
};
