#pragma once

#include "FrameWnd.h"
#include "ImageList.h"
#include "ToolBar.h"

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
