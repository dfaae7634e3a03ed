#include "trending/frmTrending.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "trending/modGraph.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>
#include <cmath>

namespace {

constexpr long kCounterLimit = 999999999;
constexpr int kMaxGridRows = 257;

// The link can take a read now: on-line, no error pending, and no other operation inside an exchange
// (a box shown by one runs this window's timer and loop).
bool linkReady() { return gRSComm && gRSComm->OnlineMode && !gRSComm->CommError && !gRSComm->Busy(); }

// Elapsed seconds as the grid shows them: to the hundredth, without trailing zeros ("0", "1.5", "12.34").
QString elapsedText(qint64 ms)
{
    const double hundredths = std::round(static_cast<double>(ms) / 10.0);
    QString text = QString::number(hundredths / 100.0, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

QString frmTrending::ReadTrendSample(const QString& Address)
{
    if (cboAddress->count() == 0 || !gRSComm)
        return {};
    return gRSComm->RSRead(Address);
}

// A value the board sent: no exchange was needed (no address yet), or the read got its reply. A
// read that failed gives no sample rather than the "0" that stands for the missing reply.
static bool readSucceeded(bool exchanged) { return !exchanged || (!gRSComm->CommError && !gRSComm->LastReadFailed); }

void frmTrending::AddTrendSample(const QString& Value)
{
    const qint64 now = clockMs();
    gateRepaints();
    if (!m_timeBaseSet) {
        m_timeBaseSet = true;
        m_timeBaseMs = now;
    }
    m_sampleCounter = m_sampleCounter >= kCounterLimit ? 0 : m_sampleCounter + 1;

    grid->insertRows(1, 1);
    grid->setTextMatrix(1, 0, QStringLiteral(" "));
    grid->setTextMatrix(1, 1, elapsedText(now - m_timeBaseMs));
    grid->setTextMatrix(1, 2, Value);
    if (grid->rows() > kMaxGridRows)
        grid->removeRows(grid->rows() - 1, 1);
    // The count and the row numbers take a good share of a sample's own time, which keeps the line
    // waiting: while the gate holds the screen, they are shown once, when it opens.
    if (m_changesHeld) {
        m_countsHeld = true;
    } else {
        showCounter();
        numberVisibleRows();
    }
    if (chkLiveData->isChecked())
        plotLiveSample();
}

void frmTrending::tmrTrending_Timer()
{
    if (!chkAcquire->isChecked() || !linkReady())
        return;
    const bool exchanged = cboAddress->count() > 0;
    const QString value = ReadTrendSample(m_sampledAddress);
    if (readSucceeded(exchanged))
        AddTrendSample(value);
}

bool frmTrending::trendingPass()
{
    if (m_redrawRequested) {
        m_redrawRequested = false;
        redrawGraph();
    }
    if (m_firstPass) {
        m_firstPass = false;
        GraphTrendData();
    }
    if (!chkAcquire->isChecked() || tmrTrending->isActive() || !linkReady())
        return false;
    const bool exchanged = cboAddress->count() > 0;
    const QString value = ReadTrendSample(m_sampledAddress);
    if (!readSucceeded(exchanged))
        return exchanged;
    if (!optOptions[0]->isChecked()) {
        AddTrendSample(value);
    } else if (value.compare(m_lastValue, Qt::CaseInsensitive) != 0) {
        m_lastValue = value;
        AddTrendSample(value);
    }
    return exchanged;
}

void frmTrending::RunTrending()
{
    if (m_loop->isRunning())
        return;
    m_firstPass = true;
    m_loop->run();
}
