// Trending through the real serial port against the simulated board (the boardsim program on a
// pseudo-terminal, paced at 19200 baud), and the graph's redraw.
//
//   bench_trending <path to boardsim> [seconds]
//
// (a) "Continuous" sampling of a word with Acquire checked, for 10 s: samples a second as a share
//     of the line-rate limit (a word read after the handshake is four one-byte exchanges, eight
//     bytes of 10 bits on the wire), with Graph Live off and on. The main window's status poll
//     runs as it does for the user.
// (b) The time to redraw a 255-sample graph on the trending window's picture.
#include "BenchSupport.h"
#include "app/Features.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "trending/GraphPicture.h"
#include "trending/TrendingHost.h"
#include "trending/frmTrending.h"
#include "workspace/frmMDIMain.h"
#include "comm/RSComm.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPixmap>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

struct Sampling {
    long samples;
    double wallS;
    double cpuS;
};

Sampling sample(const QString& boardsim, int seconds, bool graphLive)
{
    BenchBoard board(boardsim, 19200, {"--set", "100=232", "--set", "101=3"});
    frmMDIMain main;
    installFeatures(main);
    main.MDIForm_Load();
    main.mnuViewOnline_Click();
    if (!gRSComm || !gRSComm->OnlineMode) {
        std::fprintf(stderr, "bench_trending: the board did not answer\n");
        std::exit(1);
    }
    main.procs.showTrending();
    frmTrending* view = trendingView();
    view->optOptions[1]->setChecked(true);
    view->cboOptions->setCurrentIndex(0);
    view->cboOptions_Click();
    view->cboAddress->setEditText(QStringLiteral("W100"));
    view->cboAddress_KeyPress(13);
    view->chkLiveData->setChecked(graphLive);
    view->chkLiveData_Click();
    gRSComm->RSRead(QStringLiteral("W100")); // enters read mode: the run measures the exchanges alone
    view->chkAcquire->setChecked(true);

    BenchClock clock;
    QTimer::singleShot(seconds * 1000, view, [view] { view->Form_Unload(); });
    // The activation queued the loop: it runs here until the view is closed.
    view->setSampleCounter(0);
    clock = BenchClock();
    view->RunTrending();
    Sampling s{view->sampleCounter(), clock.wallSeconds(), clock.cpuSeconds()};
    if (view->grid->textMatrix(1, 2) != QLatin1String("1000")) {
        std::fprintf(stderr, "bench_trending: wrong value sampled: %s\n", qPrintable(view->grid->textMatrix(1, 2)));
        std::exit(1);
    }
    main.gMDIQueryUnload = true;
    main.MDIForm_Unload();
    return s;
}

double redrawMs(int repeats)
{
    GraphPicture picture;
    picture.resize(1100, 520);
    std::vector<qint64> values(256);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<qint64>(500 + 400 * std::sin(i / 9.0));
    QPixmap target(picture.size());
    DrawGraphFrame(&picture);
    PlotGraphData(values, GraphColor::Blue);
    picture.render(&target);
    const BenchClock clock;
    for (int i = 0; i < repeats; ++i) {
        DrawGraphFrame(&picture);
        PlotGraphData(values, GraphColor::Blue);
        picture.render(&target);
    }
    forgetGraphSurface(&picture);
    return clock.wallSeconds() * 1000.0 / repeats;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_trending <boardsim> [seconds]\n");
        return 2;
    }
    const QString boardsim = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const double limitPerS = 19200.0 / (8 * 10);

    for (bool live : {false, true}) {
        const Sampling s = sample(boardsim, seconds, live);
        const double rate = s.samples / s.wallS;
        std::printf("trending, Continuous, W100 at 19200 baud, Graph Live %s: %ld samples in %.2f s: %.1f samples/s, "
                    "%.3f of the line-rate limit (%.0f/s); CPU %.1f%% of wall time\n",
                    live ? "on " : "off", s.samples, s.wallS, rate, rate / limitPerS, limitPerS,
                    100.0 * s.cpuS / s.wallS);
    }
    std::printf("graph redraw, 255 samples on a 1100x520 picture: %.2f ms\n", redrawMs(200));
    return 0;
}
