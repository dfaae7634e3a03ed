#include "workspace/frmWaitDisplay.h"

#include "workspace/DataTransfer.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace {
std::array<frmWaitDisplay::Operation, 9>& operations()
{
    static std::array<frmWaitDisplay::Operation, 9> table;
    return table;
}

QPointer<frmWaitDisplay>& loaded()
{
    static QPointer<frmWaitDisplay> instance;
    return instance;
}

QString& fileStartingAddress()
{
    static QString text;
    return text;
}

bool validMode(int Mode) { return Mode >= 1 && Mode <= 8; }

QString messageFor(int mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("Reading Variables, Please Standby ...");
    case 2:
        if (gViewNicNames)
            return QStringLiteral("Refreshing NicNames, Please Standby ...");
        if (gViewDescriptions)
            return QStringLiteral("Refreshing Descriptions, Please Standby ...");
        break;
    case 3:
        return QStringLiteral("Printing Status Table, Please Standby ...");
    case 4:
        switch (gDataXferMode) {
        case 1:
            return QStringLiteral("Downloading Target Board Data, Please Standby ...");
        case 2:
            return QStringLiteral("Uploading Target Board Data, Please Standby ...");
        case 3:
            return QStringLiteral("Downloading Datafile, Please Standby ...");
        default:
            break;
        }
        break;
    case 5:
        return QStringLiteral("Printing Trend Data, Please Standby ...");
    case 6:
        return QStringLiteral("Uploading PLS Configuration, Please Standby ...");
    case 7:
        return QStringLiteral("Downloading PLS Configuration, Please Standby ...");
    case 8:
        return QStringLiteral("Clearing PLS Channel Setpoints, Please Standby ...");
    default:
        break;
    }
    return QStringLiteral("Please Standby ...");
}
} // namespace

void frmWaitDisplay::setOperation(int Mode, Operation operation)
{
    if (validMode(Mode) && Mode != 4)
        operations()[Mode] = std::move(operation);
}

bool frmWaitDisplay::hasOperation(int Mode)
{
    return Mode == 4 || (validMode(Mode) && static_cast<bool>(operations()[Mode]));
}

frmWaitDisplay* frmWaitDisplay::current() { return loaded().data(); }

void frmWaitDisplay::SetupFileDownload(const QString& StartingAdd) { fileStartingAddress() = StartingAdd; }

QString frmWaitDisplay::startingAddress() { return fileStartingAddress(); }

frmWaitDisplay::frmWaitDisplay(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWaitDisplay"));
    setWindowTitle(QStringLiteral("Corvanex"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    fraWaitDisplay = new QGroupBox(this);
    lblWaitDisplay = new QLabel(fraWaitDisplay);
    lblWaitDisplay->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest message and for "Downloading 655359999 to D65532", so the window
    // keeps its size while an operation writes its progress into the label.
    lblWaitDisplay->setMinimumWidth(
        lblWaitDisplay->fontMetrics().horizontalAdvance(QStringLiteral("Downloading Target Board Data, Please Standby ...")) +
        40);
    lblSetpointRecall = new QLabel(fraWaitDisplay);
    lblSetpointRecall->setAlignment(Qt::AlignCenter);
    lblSetpointRecall->setVisible(false);
    pbrWaitDisplay = new QProgressBar(fraWaitDisplay);
    pbrWaitDisplay->setTextVisible(false);
    pbrWaitDisplay->setRange(0, 100);
    pbrWaitDisplay->setValue(0);
    auto* inner = new QVBoxLayout(fraWaitDisplay);
    inner->setContentsMargins(18, 14, 18, 14);
    inner->setSpacing(10);
    inner->addStretch(1);
    inner->addWidget(lblWaitDisplay);
    inner->addWidget(lblSetpointRecall);
    inner->addWidget(pbrWaitDisplay);
    inner->addStretch(1);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWaitDisplay::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraWaitDisplay, 1);
    outer->addLayout(buttons);
    // The frame keeps its height when a mode hides the bar and Cancel, so the message of a print
    // stands at half the frame's height.
    fraWaitDisplay->setMinimumHeight(110);
}

frmWaitDisplay::~frmWaitDisplay()
{
    if (loaded() == this)
        loaded() = nullptr;
}

void frmWaitDisplay::Form_Load()
{
    CancelFlag = false;
    loaded() = this;
    const int mode = gWaitDisplayMode;
    lblWaitDisplay->setText(messageFor(mode));
    const bool printing = mode == 3 || mode == 5;
    const bool limitSwitch = mode >= 6 && mode <= 8;
    pbrWaitDisplay->setVisible(!printing);
    cmdCancel->setVisible(!printing && !limitSwitch);
    lblSetpointRecall->setVisible(mode == 6 || mode == 7);
    lblSetpointRecall->clear();
    adjustSize();
    CenterForm(this);
}

void frmWaitDisplay::Form_Activate()
{
    if (m_running)
        return;
    m_running = true;
    // No tick may read the board between the operation's exchanges.
    const QPointer<QTimer> statusTimer = gMDIMain ? gMDIMain->tmrBackgroungUpdate : nullptr;
    if (statusTimer)
        statusTimer->stop();
    QApplication::processEvents();
    const int mode = gWaitDisplayMode;
    if (mode == 4) {
        TransferData(*this);
    } else if (hasOperation(mode)) {
        // A copy: the operation may set another mode's operation while it runs.
        const Operation operation = operations()[mode];
        operation(*this);
    }
    if (statusTimer)
        statusTimer->start();
    m_running = false;
    hide();
    done(Accepted);
}

void frmWaitDisplay::cmdCancel_Click() { CancelFlag = true; }

void frmWaitDisplay::Form_Unload()
{
    if (loaded() == this)
        loaded() = nullptr;
    QApplication::processEvents();
}

void frmWaitDisplay::reject()
{
    if (!m_running)
        QDialog::reject();
}

void frmWaitDisplay::run(QWidget* parent)
{
    // A mode whose operation is not there yet does nothing and says nothing.
    if (!hasOperation(gWaitDisplayMode))
        return;
    frmWaitDisplay window(parent);
    window.Form_Load();
    // After the window has been shown, so the user sees it before the first exchange.
    QTimer::singleShot(0, &window, &frmWaitDisplay::Form_Activate);
    window.exec();
    window.Form_Unload();
}
