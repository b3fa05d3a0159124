#include "framework/DocTemplate.h"

#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceTable.h"
#include "framework/View.h"
#include "framework/WinApp.h"

CDocTemplate::CDocTemplate(UINT resourceId, DocumentFactory newDocument, FrameFactory newFrame,
                           ViewFactory newView)
    : m_resourceId(resourceId), m_newDocument(std::move(newDocument)), m_newFrame(std::move(newFrame)),
      m_newView(std::move(newView))
{
}

CDocTemplate::~CDocTemplate()
{
    DestroyObjects();
}

bool CDocTemplate::CreateObjects()
{
    m_pOnlyDoc = m_newDocument();
    m_pFrame = m_newFrame();
    CCreateContext context{m_newView, m_pOnlyDoc.get()};
    if (!m_pFrame->LoadFrame(m_resourceId, &context)) {
        DestroyObjects();
        return false;
    }
    return true;
}

void CDocTemplate::DestroyObjects()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == m_pFrame.get())
        app->m_pMainWnd = nullptr;
    m_pFrame.reset();
    m_pOnlyDoc.reset();
}

void CDocTemplate::InitialUpdateFrame()
{
    if (!m_pFrame)
        return;
    if (CView* view = m_pFrame->GetActiveView())
        view->OnInitialUpdate();
    m_pFrame->OnUpdateFrameTitle();
}

void CDocTemplate::SetDefaultTitle(CDocument* document)
{
    document->SetTitle(QStringLiteral("Untitled"));
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const CString* path)
{
    const bool created = m_pOnlyDoc == nullptr;
    if (!created && !m_pOnlyDoc->SaveModified())
        return nullptr;
    if (created) {
        if (!CreateObjects())
            return nullptr;
        if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd)
            app->m_pMainWnd = m_pFrame.get();
    }
    if (path) {
        if (!m_pOnlyDoc->OnOpenDocument(*path)) {
            if (created)
                DestroyObjects();
            return nullptr;
        }
        m_pOnlyDoc->SetPathName(*path);
    } else {
        SetDefaultTitle(m_pOnlyDoc.get());
        if (!m_pOnlyDoc->OnNewDocument()) {
            if (created)
                DestroyObjects();
            return nullptr;
        }
    }
    InitialUpdateFrame();
    return m_pOnlyDoc.get();
}
