#pragma once

#include "framework/Dialog.h"

// The About box: icon, version, what the program uses, and its licence terms.
class CAboutDialog : public CDialog {
public:
    CAboutDialog();

protected:
    DECLARE_MESSAGE_MAP()

private:
    void AddStatic(const QRect& units, const QString& text);
    void AddIcon(const QRect& units);
};
