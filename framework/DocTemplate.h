#pragma once

#include "framework/CmdTarget.h"

#include <functional>
#include <memory>

class CDocument;
class CFrameWnd;
class CView;

// Ties one document class to its frame and view classes. A single-document
// template makes one of each and reuses them for every later New.
class CDocTemplate : public CCmdTarget {
public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using FrameFactory = std::function<std::unique_ptr<CFrameWnd>()>;
    using ViewFactory = std::function<std::unique_ptr<CView>()>;

    CDocTemplate(UINT resourceId, DocumentFactory newDocument, FrameFactory newFrame, ViewFactory newView);
    ~CDocTemplate() override;

    // Null path: a new document. Returns null when creation, the save
    // prompt or the open failed.
    virtual CDocument* OpenDocumentFile(const CString* path) = 0;

protected:
    // Document, frame and view made and linked; the frame is not shown yet.
    bool CreateObjects();
    void DestroyObjects();
    void InitialUpdateFrame();
    void SetDefaultTitle(CDocument* document);

    UINT m_resourceId;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    // The frame goes before its document.
    std::unique_ptr<CDocument> m_pOnlyDoc;
    std::unique_ptr<CFrameWnd> m_pFrame;
};

class CSingleDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;

    template <class TDocument, class TFrame, class TView>
    static std::unique_ptr<CSingleDocTemplate> Make(UINT resourceId)
    {
        return std::make_unique<CSingleDocTemplate>(resourceId, [] { return std::make_unique<TDocument>(); },
                                                    [] { return std::make_unique<TFrame>(); },
                                                    [] { return std::make_unique<TView>(); });
    }

    CDocument* OpenDocumentFile(const CString* path) override;
};
