#include "framework/QtDialogHost.h"

#include "framework/Dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

int QtDialogHost::MessageBox(const CString& text, const CString& caption, UINT type)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    if ((type & MB_TYPEMASK) == MB_YESNOCANCEL) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if ((type & MB_TYPEMASK) == MB_YESNO) {
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}

QStringList QtDialogHost::NameFilters(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i];
        const QString pattern = parts[i + 1];
        if (name.isEmpty())
            break;
        const QString patterns = QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses at the end of the name.
        filters << (name.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')'))
                        ? name
                        : name + QLatin1String(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

int QtDialogHost::RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer)
{
    // The desktop's own dialog where it has one, Qt's elsewhere.
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return IDCANCEL;
    answer->path = dialog.selectedFiles().constFirst();
    answer->filterIndex = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return IDOK;
}

int QtDialogHost::RunModal(CDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
