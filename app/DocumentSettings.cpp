#include "app/MaskSettings.h"
#include "app/VeilcutApp.h"
#include "display/FitLayout.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

void CVeilcutDoc::LoadSettings()
{
    m_settingsLoaded = TRUE;
    m_settings.offsetRect = DefaultEllipse(CPoint(0, 0));
    m_settings.color = m_view->m_color;
    m_settings.openDir = m_openDir;
    m_settings.saveDir = m_saveDir;
    VeilcutApp().ReadMaskSettings(MaskSettingsSection, &m_settings);
    m_maskOffset = m_settings.offsetRect;
    m_view->m_color = m_settings.color;
    m_openDir = m_settings.openDir;
    m_saveDir = m_settings.saveDir;
}

void CVeilcutDoc::SaveSettings()
{
    // Until a picture has been laid out the ellipse on screen is only the
    // default; the position read at start is kept rather than thrown away.
    if (!m_firstLayout && m_covered.selected) {
        m_maskOffset = m_view->SelectedOffset();
    }
    m_settings.offsetRect = m_maskOffset;
    m_settings.color = m_view->m_color;
    m_settings.openDir = m_openDir;
    m_settings.saveDir = m_saveDir;
    VeilcutApp().WriteMaskSettings(MaskSettingsSection, &m_settings);
}
