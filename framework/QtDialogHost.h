#pragma once

#include "framework/DialogHost.h"

#include <QStringList>

// The desktop's message boxes and file dialogs.
class QtDialogHost : public CDialogHost {
public:
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    int RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer) override;
    int RunModal(CDialog& dialog) override;

    // "Name|pattern|...||" as Qt name filters, "Name (pattern)".
    static QStringList NameFilters(const QString& filter);
};
