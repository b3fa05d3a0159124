#include "framework/FileDialog.h"

#include "framework/DialogHost.h"

#include <QFileInfo>

namespace {
// The suffix of a filter whose pattern is a single "*.ext", else empty.
QString FilterSuffix(const QString& filter, int index)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString pattern = parts.value(2 * index + 1);
    if (!pattern.startsWith(QLatin1String("*.")) || pattern.contains(QLatin1Char(';')))
        return QString();
    const QString suffix = pattern.mid(2);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}

QString NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const CString& defExt, const CString& fileName, DWORD flags,
                         const CString& filter, QWidget* /*parent*/)
    : m_bOpenFileDialog(bOpenFileDialog), m_defExt(defExt), m_fileName(fileName), m_filter(filter)
{
    m_ofn.Flags = flags;
}

int CFileDialog::DoModal()
{
    FileDialogRequest request;
    request.open = m_bOpenFileDialog;
    request.defaultExtension = m_defExt;
    request.fileName = m_fileName;
    request.flags = m_ofn.Flags;
    request.filter = m_filter;
    request.initialFolder = m_ofn.lpstrInitialDir;
    m_pathName.clear();
    for (;;) {
        FileDialogAnswer answer;
        const int result =
            AfxRunWithArrowCursor([&] { return AfxGetDialogHost().RunFileDialog(request, &answer); });
        if (result != IDOK || answer.path.isEmpty())
            return IDCANCEL;
        const CString path = m_bOpenFileDialog ? answer.path : WithDefaultSuffix(answer);
        if (MayReplace(path)) {
            m_pathName = path;
            return IDOK;
        }
        // Back to the dialog with the name the user has to reconsider.
        request.fileName = NameOf(path);
        request.initialFolder = path.left(path.size() - request.fileName.size());
    }
}

CString CFileDialog::WithDefaultSuffix(const FileDialogAnswer& answer) const
{
    if (m_defExt.isEmpty() || NameOf(answer.path).contains(QLatin1Char('.')))
        return answer.path;
    const QString filterSuffix = FilterSuffix(m_filter, answer.filterIndex);
    return answer.path + QLatin1Char('.') + (filterSuffix.isEmpty() ? m_defExt : filterSuffix);
}

bool CFileDialog::MayReplace(const CString& path) const
{
    if (m_bOpenFileDialog || !(m_ofn.Flags & OFN_OVERWRITEPROMPT) || !QFileInfo::exists(path))
        return true;
    const CString question = NameOf(path) + QStringLiteral(" already exists.\nDo you want to replace it?");
    return AfxMessageBox(question, MB_YESNO | MB_ICONWARNING) == IDYES;
}

CString CFileDialog::GetFileName() const
{
    return NameOf(m_pathName);
}
