// Times one paint of the view over a 24 MP picture in a 1600x940 view, with
// the one ellipse of an Open and with 100 ellipses, on the offscreen platform.
#include "app/MainFrm.h"
#include "app/VeilcutApp.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "framework/CommandLine.h"
#include "framework/DocTemplate.h"
#include "resources/resource.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int kViewWidth = 1600, kViewHeight = 940;
constexpr int kRuns = 30;
constexpr double kTargetMs = 16.0;

CVeilcutView* StartProgram()
{
    theApp.InitApplicationName();
    theApp.AddDocTemplate(CSingleDocTemplate::Make<CVeilcutDoc, CMainFrame, CVeilcutView>(IDR_MAINFRAME));
    CCommandLineInfo info;
    if (!theApp.ProcessShellCommand(info))
        return nullptr;
    auto* frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
    frame->showNormal();
    auto* view = static_cast<CVeilcutView*>(frame->GetActiveView());
    for (int attempt = 0; attempt < 5 && view->size() != QSize(kViewWidth, kViewHeight); ++attempt) {
        frame->resize(QSize(kViewWidth, kViewHeight) + frame->size() - view->size());
        QCoreApplication::processEvents();
    }
    return view;
}

// `count` ellipses of 120 by 160 view pixels in rows across the picture.
CoveredAreas Ellipses(const CVeilcutView& view, int count)
{
    CoveredAreas areas;
    const CRect& shown = view.m_displayRect;
    for (int i = 0; i < count; ++i) {
        const int x = shown.left + (i % 10) * (shown.Width() - 120) / 9;
        const int y = shown.top + (i / 10) * (shown.Height() - 160) / 9;
        areas = WithAdded(areas, ToPicture(CRect(x, y, x + 120, y + 160), view.m_transform));
    }
    return areas;
}

double ProcessCpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// On a busy machine the wall times show the neighbours too; the processor time does not.
void Measure(CVeilcutView& view, int count)
{
    view.GetDocument()->m_covered = Ellipses(view, count);
    const double cpuStart = ProcessCpuMilliseconds();
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        view.repaint();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    const double cpuMs = (ProcessCpuMilliseconds() - cpuStart) / kRuns;
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("  %3d ellipses: best %6.2f ms, median %6.2f ms, worst %6.2f ms of %d; target %.0f ms: %s;"
                " processor time %.2f ms a paint\n",
                count, times.front(), median, times.back(), kRuns, kTargetMs, median <= kTargetMs ? "met" : "MISSED",
                cpuMs);
}

} // namespace

int main(int argc, char** argv)
{
    // A profile of its own: the program reads and writes its settings.
    QTemporaryDir home;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", QFile::encodeName(home.path()).constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()).constData(), 1);
    QApplication app(argc, argv);
    CVeilcutView* view = StartProgram();
    if (!view || view->size() != QSize(kViewWidth, kViewHeight))
        return 1;
    CVeilcutDoc* doc = view->GetDocument();
    doc->m_picture.reset(FreeImage_Allocate(6000, 4000, 24));
    doc->FitToView();
    std::printf("paint of a 6000x4000 picture shown at %dx%d in a %dx%d view\n", view->m_displayRect.Width(),
                view->m_displayRect.Height(), kViewWidth, kViewHeight);
    Measure(*view, 1);
    Measure(*view, 100);
    doc->SetModifiedFlag(FALSE);
    theApp.CloseAllDocuments();
    return 0;
}
