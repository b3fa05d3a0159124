#include "framework/Profile.h"

#include "framework/WinApp.h"

#include <limits>
#include <optional>

namespace {
const QString recentSection = QStringLiteral("Recent File List");
QString RecentEntry(int index) { return QStringLiteral("File%1").arg(index + 1); }
}

std::unique_ptr<QSettings> AfxOpenProfile(const CString& registryKey, const CString& appName)
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, registryKey, appName);
}

std::optional<int> AfxProfileInt(const QVariant& stored)
{
    if (!stored.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = stored.toString().trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<CString> AfxProfileString(const QVariant& stored)
{
    // Anything else (a list, a rectangle, an unreadable variant) is not a usable text.
    if (stored.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

int CWinApp::GetProfileInt(const CString& section, const CString& entry, int defaultValue) const
{
    const auto settings = AfxOpenProfile(m_pszRegistryKey, m_pszAppName);
    return AfxProfileInt(settings->value(section + QLatin1Char('/') + entry)).value_or(defaultValue);
}

BOOL CWinApp::WriteProfileInt(const CString& section, const CString& entry, int value)
{
    const auto settings = AfxOpenProfile(m_pszRegistryKey, m_pszAppName);
    settings->setValue(section + QLatin1Char('/') + entry, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

CString CWinApp::GetProfileString(const CString& section, const CString& entry,
                                  const CString& defaultValue) const
{
    const auto settings = AfxOpenProfile(m_pszRegistryKey, m_pszAppName);
    return AfxProfileString(settings->value(section + QLatin1Char('/') + entry)).value_or(defaultValue);
}

BOOL CWinApp::WriteProfileString(const CString& section, const CString& entry, const CString& value)
{
    const auto settings = AfxOpenProfile(m_pszRegistryKey, m_pszAppName);
    settings->setValue(section + QLatin1Char('/') + entry, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles)
{
    m_maxRecentFiles = maxRecentFiles;
    m_recentFiles.clear();
    for (int i = 0; i < int(maxRecentFiles); ++i) {
        const CString path = GetProfileString(recentSection, RecentEntry(i));
        if (!path.isEmpty())
            m_recentFiles << path;
    }
}

void CWinApp::AddToRecentFileList(const CString& path)
{
    if (m_maxRecentFiles == 0)
        return;
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > int(m_maxRecentFiles))
        m_recentFiles.removeLast();
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_maxRecentFiles == 0)
        return;
    for (int i = 0; i < int(m_maxRecentFiles); ++i) {
        const CString path = i < m_recentFiles.size() ? m_recentFiles[i] : CString();
        if (path.isEmpty()) {
            const auto settings = AfxOpenProfile(m_pszRegistryKey, m_pszAppName);
            settings->remove(recentSection + QLatin1Char('/') + RecentEntry(i));
        } else {
            WriteProfileString(recentSection, RecentEntry(i), path);
        }
    }
}
