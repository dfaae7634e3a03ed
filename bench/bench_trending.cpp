// Trending through the real serial port against the simulated board (the boardsim program on a
// pseudo-terminal, paced at 19200 baud), and the graph's redraw.
//
//   bench_trending <path to boardsim> [seconds]
//
// (a) "Continuous" sampling of a word with Acquire checked, for 10 s, with Graph Live off and on:
//     samples a second, and the share of the line-rate limit (the wire time of the bytes counted on
//     the line, 10 bits a byte; a word read after the handshake is four one-byte exchanges, eight
//     bytes). The main window's status poll runs as it does for the user, and its bytes count.
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
    long bytes;
    double wallS;
    double cpuS;
};

Sampling sample(const QString& boardsim, int seconds, bool graphLive)
{
    BenchBoard board(boardsim, 19200, {"--set", "100=232", "--set", "101=3"});
    auto owned = std::make_unique<CountingPort>();
    CountingPort* port = owned.get();
    frmMDIMain main(std::move(owned));
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
    port->bytes = 0;
    clock = BenchClock();
    view->RunTrending();
    Sampling s{view->sampleCounter(), port->bytes, clock.wallSeconds(), clock.cpuSeconds()};
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

    bool ok = true;
    for (bool live : {false, true}) {
        const Sampling s = sample(boardsim, seconds, live);
        const QByteArray what = QStringLiteral("trending, Continuous, Live %1").arg(live ? "on" : "off").toLatin1();
        ok = reportLineShare(what.constData(), s.bytes, s.wallS, 19200) && ok;
        std::printf("%-34s (%ld samples of W100: %.1f a second; CPU %.1f%% of wall time)\n", "", s.samples,
                    s.samples / s.wallS, 100.0 * s.cpuS / s.wallS);
    }
    std::printf("graph redraw, 255 samples on a 1100x520 picture: %.2f ms\n", redrawMs(200));
    return ok ? 0 : 1;
}
