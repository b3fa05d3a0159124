#pragma once

#include "framework/CRect.h"
#include "framework/CmdTarget.h"

#include <QPointer>
#include <QToolBar>

#include <vector>

class CFrameWnd;
class CImageList;

constexpr DWORD TBSTYLE_FLAT = 0x0800;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_TOP = 0x2800;
constexpr DWORD CBRS_FLOAT_MULTI = 0x0040;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD WS_CHILD = 0x40000000;

// A dockable row of buttons, one per command id of a toolbar resource. The
// buttons show the pictures of the image list in their order.
class CToolBar {
public:
    BOOL CreateEx(CFrameWnd* parent, DWORD ctrlStyle, DWORD style, const CRect& borders, UINT id);
    // Lays the buttons out from the toolbar resource; the pictures come from
    // the image list when one is set, else from the resource's own strip.
    BOOL LoadToolBar(UINT resourceId);
    void EnableDocking(DWORD dockStyle);
    void SetImageList(const CImageList* images);
    long GetStyle() const;

    QToolBar* GetToolBar() const { return m_bar; }
    int GetButtonCount() const { return int(m_buttons.size()); }
    UINT GetItemID(int index) const;
    QAction* GetButton(int index) const;

    // Enable states from the routing chain of the frame.
    void UpdateCmdUI(CFrameWnd* target);

private:
    void ApplyImages();
    void AddCloseButton();

    QPointer<QToolBar> m_bar;
    std::vector<UINT> m_items;
    std::vector<QAction*> m_buttons;   // null for separators
    const CImageList* m_images = nullptr;
    QPixmap m_strip;
};
