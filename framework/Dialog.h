#pragma once

#include "framework/CmdTarget.h"

#include <QDialog>

// A modal dialog built from a dialog template of the resources.
class CDialog : public QDialog, public CCmdTarget {
public:
    explicit CDialog(UINT templateId, QWidget* parent = nullptr);

    // Runs through the dialog host; IDOK or IDCANCEL.
    virtual int DoModal();
    UINT GetTemplateId() const { return m_templateId; }

    // Dialog units of the default font as pixels.
    static QSize DialogUnitsToPixels(const QFont& font, int width, int height);
    static QRect DialogUnitsToPixels(const QFont& font, const QRect& units);

protected:
    DECLARE_MESSAGE_MAP()

private:
    UINT m_templateId;
};
