#include "framework/Dialog.h"

#include "framework/DialogHost.h"

#include <QFontMetrics>

BEGIN_MESSAGE_MAP(CDialog, CCmdTarget)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId)
{
}

int CDialog::DoModal()
{
    return AfxRunWithArrowCursor([this] { return AfxGetDialogHost().RunModal(*this); });
}

QSize CDialog::DialogUnitsToPixels(const QFont& font, int width, int height)
{
    const QRect r = DialogUnitsToPixels(font, QRect(0, 0, width, height));
    return r.size();
}

QRect CDialog::DialogUnitsToPixels(const QFont& font, const QRect& units)
{
    // A horizontal unit is a quarter of the average letter width, a vertical
    // one an eighth of the line height.
    const QFontMetrics metrics(font);
    const double baseX = metrics.horizontalAdvance(
                             QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    const double baseY = metrics.height();
    auto x = [&](int v) { return int(v * baseX / 4.0 + 0.5); };
    auto y = [&](int v) { return int(v * baseY / 8.0 + 0.5); };
    return QRect(x(units.x()), y(units.y()), x(units.width()), y(units.height()));
}
