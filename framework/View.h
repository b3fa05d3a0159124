#pragma once

#include "framework/Wnd.h"

#include <QWidget>

class CDocument;
class CFrameWnd;
class QPainter;

// A drawing context is a painter on the view.
using CDC = QPainter;

// What a window is created with: its size, 0 for the platform's choice.
struct CREATESTRUCT {
    int cx = 0;
    int cy = 0;
};

// Virtual-key codes the program looks at.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
// The platform's virtual-key code for a letter, an arrow, Tab (Shift+Tab
// too), Backspace, Insert or Delete; 0 for any other key, which gets Qt's
// default handling.
UINT AfxVirtualKey(int qtKey);
// Negative while `virtualKey` (VK_SHIFT) was held down when the key being
// handled was pressed.
short GetKeyState(UINT virtualKey);

// The client window that shows a document. Window messages reach the message
// map of the derived class; what it leaves unhandled gets Qt's default.
class CView : public QWidget, public CWnd {
public:
    CView();

    QWidget* GetWidget() override { return this; }
    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void OnInitialUpdate();
    virtual void OnDraw(CDC* pDC) = 0;

    // Own table first, then the document's.
    BOOL OnCmdMsg(UINT id, CCmdUI* pUI) override;

    // Links the view to its document; the framework calls this once.
    void AttachDocument(CDocument* document);

protected:
    DECLARE_MESSAGE_MAP()

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Tab is a key of the view, not a move of the focus.
    bool focusNextPrevChild(bool next) override;

private:
    CPoint ClientPoint(QMouseEvent* event);

    CDocument* m_pDocument = nullptr;
};
