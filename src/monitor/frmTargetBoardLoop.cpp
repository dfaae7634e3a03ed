// The target-board interface's polling loop: while the dialog is open it keeps the link on-line,
// fills the fault page once per on-line period, reads the set-up table on every pass and shows the
// PC's clock once a second.
#include "comm/RSComm.h"
#include "monitor/frmTargetBoard.h"
#include "platform/Clock.h"
#include "platform/Install.h"
#include "platform/PollingLoop.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

namespace {
const QString kNoLink = QStringLiteral("Cannot Communicate with Target Board.");

QString twoDigits(int value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); }
} // namespace

bool frmTargetBoard::yieldOnce() { return m_loop->yield(); }

void frmTargetBoard::startMonitor()
{
    Running = true;
    // One more than the clock's second, so that the first pass shows the clock.
    m_lastSecond = wallClock().time().second() + 1;
    FaultsShown = false;
    OfflineShown = false;
    m_firstPassReported = false;
    cmdGoOnline_Click();
}

void frmTargetBoard::MonitorTargetBoard()
{
    startMonitor();
    m_loop->run();
    unloadForm();
}

bool frmTargetBoard::pollPass()
{
    RSComm& comm = *gRSComm;
    // A box inside an exchange runs the event loop: no pass may start an exchange inside another.
    if (comm.Busy())
        return false;
    if (comm.OnlineMode && comm.CommError) {
        comm.OnlineMode = false;
        FaultsShown = false;
        UpdateOnlineStatus();
    }
    const bool online = comm.OnlineMode;
    if (!online) {
        if (!OfflineShown)
            ShowCommFailure();
        FaultsShown = false;
        m_firstPassReported = false;
    } else {
        if (!FaultsShown)
            FirstPass();
        OfflineShown = false;
        UpdateSetupDisplay();
    }
    const QDateTime now = wallClock();
    if (now.time().second() != m_lastSecond) {
        m_lastSecond = now.time().second();
        showPcClock(now);
    }
    return online;
}

void frmTargetBoard::showPcClock(const QDateTime& now)
{
    const QTime t = now.time();
    const QDate d = now.date();
    lblCurrTime->setText(twoDigits(t.hour()) + QStringLiteral(" : ") + twoDigits(t.minute()) + QStringLiteral(" : ") +
                         twoDigits(t.second()));
    lblCurrDate->setText(twoDigits(d.month()) + QStringLiteral(" - ") + twoDigits(d.day()) + QStringLiteral(" - ") +
                         QString::number(d.year()).rightJustified(4, QLatin1Char('0')));
}

void frmTargetBoard::UpdateSetupDisplay()
{
    RSComm& comm = *gRSComm;
    for (int i = 0; i < 8; ++i) {
        if (!Running || !comm.OnlineMode)
            return;
        const QString V = comm.RSRead(SetupAddress[i]);
        if (comm.CommError)
            return;
        const bool shows = i < 2 ? setupShown(i) : txtSetup[i]->isEnabled();
        // Padded to two digits, never cut: a byte of 120 shows "120". A read that failed keeps the
        // value last read.
        if (shows && !SetupEditing[i] && !comm.LastReadFailed)
            txtSetup[i]->setText(V.rightJustified(2, QLatin1Char('0')));
        if (!yieldOnce())
            return;
    }
}

void frmTargetBoard::FirstPass()
{
    RSComm& comm = *gRSComm;
    cmdResetFaults->setEnabled(false);
    for (QLabel* l : lblRevIdentInPLC)
        l->setEnabled(true);
    for (int i = 0; i < 8; ++i)
        if (setupShown(i))
            enableSetupEntry(i, true);
    const bool clock = DiskBoardType == 54 || DiskBoardType == 65;
    if (!clock)
        for (int i = 2; i < 8; ++i)
            enableSetupEntry(i, false);
    enableClockControls(clock);

    // Current fault, last fault, co-processor slot, last fault again (for the advice), current and
    // last communication error.
    const char* faultTable[] = {"B8176", "B8177", "B8175", "B8177", "B8179", "B8178"};
    // Reset Faults clicked inside a yield reads everything again there; what this pass read before
    // the reset must not be shown over it.
    const unsigned pass = ++m_firstPassesBegun;
    auto goOn = [&] { return yieldOnce() && m_firstPassesBegun == pass; };
    // A read that failed leaves what was shown; the next pass runs the first pass again, so that the
    // page shows the board's once the line is back.
    bool allRead = true;
    std::array<QString, 6> CodeText;
    for (int k = 0; k < 6; ++k) {
        if (!goOn())
            return;
        int value = 0;
        if (!comm.CommError) {
            value = comm.RSRead(QString::fromLatin1(faultTable[k])).toInt();
            // No code was read: the code shown before stays, with its description.
            if (comm.LastReadFailed && !comm.CommError) {
                allRead = false;
                continue;
            }
        }
        CodeText[k] = comm.CommError ? QStringLiteral("42")
                                     : QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        if (k != 2 && !comm.CommError && value != 0)
            cmdResetFaults->setEnabled(true);
        switch (k) {
        case 0:
            lblTargetBoard[0]->setText(QStringLiteral("Current Fault: Code = ") + CodeText[0] + QStringLiteral("H"));
            break;
        case 1:
            lblTargetBoard[1]->setText(QStringLiteral("Last Fault: Code = ") + CodeText[1] + QStringLiteral("H"));
            break;
        case 2:
            if (slotLabelShown())
                lblTargetBoard[2]->setText(QStringLiteral("CO-CPU Slot: ") +
                                           QString::number(CodeText[2].toInt(nullptr, 16)));
            break;
        case 4:
            lblTargetBoard[4]->setText(QStringLiteral("Current Comm Error: Code = ") + CodeText[4] +
                                       QStringLiteral("H"));
            break;
        case 5:
            lblTargetBoard[5]->setText(QStringLiteral("Last Comm Error: Code = ") + CodeText[5] + QStringLiteral("H"));
            break;
        default:
            break;
        }
    }
    try {
        showCodeDescriptions(QStringLiteral("FaultErrCodes.txt"), 0, 1, CodeText);
        if (slotLabelShown() && !comm.CommError) {
            const QString slot = comm.RSRead(QStringLiteral("B8175"));
            if (comm.LastReadFailed)
                allRead = false;
            else
                lblTargetBoard[2]->setText(QStringLiteral("CO-CPU Slot: ") + slot);
        }
        if (!CodeText[3].isEmpty())
            txtTargetBoard[3]->setPlainText(correctiveAction(CodeText[3].toInt(nullptr, 16)));
        showCodeDescriptions(QStringLiteral("CommErrCodes.txt"), 4, 5, CodeText);
    } catch (const std::exception& e) {
        // Reported once per on-line period; the next pass tries again without a box, so a file
        // that stays unreadable cannot hold the user in a box that comes back at every pass.
        if (!m_firstPassReported) {
            m_firstPassReported = true;
            msgBox(errorText(75, QString::fromStdString(e.what())), Buttons::Ok, Icon::Information,
                   QStringLiteral("TargetBoard FirstPass"));
        }
        return;
    }

    // The identity block: eight ident characters (pad bytes included), checksum, revision. What
    // could not be read keeps what was shown: an ident is shown only when all eight were read.
    QString ident;
    bool identRead = true;
    for (int k = 0; k < 10; ++k) {
        if (!goOn())
            return;
        if (comm.CommError)
            continue;
        const QString V = comm.RSRead(QStringLiteral("B") + QString::number(61424 + k));
        if (comm.LastReadFailed) {
            if (k <= 7)
                identRead = false;
            allRead = false;
            continue;
        }
        if (k <= 7) {
            ident += QChar(V.toInt());
            if (k == 7 && identRead)
                lblRevIdentInPLC[0]->setText(ident);
        } else if (k == 8)
            lblRevIdentInPLC[2]->setText(V);
        else
            lblRevIdentInPLC[1]->setText(V);
    }
    if (!comm.CommError)
        cmdGoOnline->hide();
    FaultsShown = allRead;
}

// The descriptions of codes `first` and `second` of the fault table from a code file of the support
// folder; a code the file does not list, or that was not read, leaves its box as it was, and so
// does a missing file.
void frmTargetBoard::showCodeDescriptions(const QString& fileName, int first, int second,
                                          const std::array<QString, 6>& CodeText)
{
    const QString path = installPath(QStringLiteral("support/") + fileName);
    if (!QFileInfo::exists(path))
        return;
    QString error;
    const auto data = readWholeFile(path, &error);
    if (!data)
        throw std::runtime_error(error.toStdString());
    for (int j : {first, second})
        if (const auto text = CodeText[j].isEmpty() ? std::nullopt : codeFileText(*data, CodeText[j]))
            txtTargetBoard[j]->setPlainText(*text);
}

void frmTargetBoard::ShowCommFailure()
{
    cmdGoOnline->show();
    cmdResetFaults->setEnabled(false);
    for (int j : {0, 1, 3, 4, 5})
        txtTargetBoard[j]->setPlainText(kNoLink);
    for (QLabel* l : lblRevIdentInPLC)
        l->setEnabled(false);
    for (int i = 0; i < 8; ++i)
        if (setupShown(i))
            enableSetupEntry(i, false);
    enableClockControls(false);
    OfflineShown = true;
}
