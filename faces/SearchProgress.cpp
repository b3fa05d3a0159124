#include "faces/SearchProgress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr int kSteps = 1000;
constexpr int kShownAfterMs = 500;

class CProgressDialog : public CSearchProgress {
public:
    CProgressDialog() : m_dialog(QStringLiteral("Searching for faces..."), QStringLiteral("Cancel"), 0, kSteps,
                                 QApplication::activeWindow())
    {
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(kShownAfterMs);
        m_dialog.setAutoClose(false);
        m_dialog.setValue(0);
    }
    bool Update(double done) override
    {
        // A window-modal dialog handles its events, Cancel included, as its value changes.
        m_dialog.setValue(int(done * (kSteps - 1)));
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
};
} // namespace

std::unique_ptr<CSearchProgress> MakeSearchProgress()
{
    return std::make_unique<CProgressDialog>();
}
