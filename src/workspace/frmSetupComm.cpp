#include "workspace/frmSetupComm.h"

#include "comm/RSComm.h"
#include "platform/Convert.h"
#include "platform/Install.h"
#include "platform/ModalDialogs.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kFileAccessError = 75;

// The whole-number value of a text, kept within [low, high].
int boundedValue(const QString& text, int low, int high)
{
    return static_cast<int>(std::clamp<qint64>(valInt(text), low, high));
}
} // namespace

frmSetupComm::frmSetupComm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSetupComm"));
    setWindowTitle(QStringLiteral("Comm Port Settings"));

    auto* portLabel = new QLabel(QStringLiteral("Comm Port:"), this);
    updCommPort = new UpDownEdit(this);
    updCommPort->setRange(RSComm::PortMinimum, RSComm::PortMaximum);
    updCommPort->setFixedWidth(70);
    txtCommPort = updCommPort->edit();
    txtCommPort->setObjectName(QStringLiteral("txtCommPort"));
    txtCommPort->setMaxLength(5);
    portLabel->setBuddy(txtCommPort);

    fraPortSpeed = new QGroupBox(QStringLiteral("Port Speed"), this);
    optPortSpeed[0] = new QRadioButton(QStringLiteral("9600"), fraPortSpeed);
    optPortSpeed[1] = new QRadioButton(QStringLiteral("19200"), fraPortSpeed);
    auto* speeds = new QVBoxLayout(fraPortSpeed);
    speeds->addWidget(optPortSpeed[0]);
    speeds->addWidget(optPortSpeed[1]);

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdSave->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portLabel);
    portRow->addWidget(updCommPort);
    portRow->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(portRow);
    left->addWidget(fraPortSpeed);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left);
    all->addSpacing(12);
    all->addLayout(buttons);
    setLayout(all);
    setFixedSize(sizeHint());

    connect(cmdSave, &QPushButton::clicked, this, &frmSetupComm::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetupComm::cmdCancel_Click);
    connect(updCommPort, &UpDownEdit::focusLeft, this, &frmSetupComm::txtCommPort_LostFocus);
}

void frmSetupComm::showModal(QWidget* parent)
{
    frmSetupComm dialog(parent);
    dialog.Form_Load();
    ::showModal(dialog);
}

void frmSetupComm::Form_Load()
{
    CenterForm(this);
    m_wasOnline = gRSComm && gRSComm->OnlineMode;
    CurrentSettings();
    const char* folders[] = {"rdx3", "rdx7", "qlx3"};
    for (std::size_t i = 0; i < m_toolFolders.size(); ++i)
        m_toolFolders[i] = installPath(QString::fromLatin1(folders[i]));
}

void frmSetupComm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Form_Activate: let the window paint before the user starts.
    QApplication::processEvents();
    txtCommPort->setFocus();
    txtCommPort->selectAll();
}

void frmSetupComm::CurrentSettings()
{
    m_port = 1;
    m_speed = 9600;
    const QString path = RSComm::CommSettingsFile();
    if (QFileInfo::exists(path)) {
        QString error;
        const auto data = readWholeFile(path, &error);
        if (!data) {
            msgBox(errorText(kFileAccessError, error), Buttons::Ok, Icon::None,
                   QStringLiteral("SetupComm CurrentSettings"));
        } else if (!data->trimmed().isEmpty()) {
            const RSComm::CommSettings settings = RSComm::readCommSettings(*data);
            m_port = settings.port;
            m_speed = settings.speed;
        }
    }
    m_port = qBound(updCommPort->minimum(), m_port, updCommPort->maximum());
    txtCommPort->setText(QString::number(m_port));
    optPortSpeed[m_speed == 19200 ? 1 : 0]->setChecked(true);
}

bool frmSetupComm::txtCommPort_Validate()
{
    if (updCommPort->inRange())
        return true;
    if (m_validating)
        return false;
    m_validating = true;
    msgBox(updCommPort->rangeMessage(), Buttons::Ok, Icon::Information, QStringLiteral("Comm Port"));
    m_validating = false;
    txtCommPort->setFocus();
    txtCommPort->selectAll();
    return false;
}

void frmSetupComm::txtCommPort_LostFocus()
{
    // Leaving by Cancel needs no valid port.
    if (cmdCancel->hasFocus() || cmdCancel->isDown())
        return;
    txtCommPort_Validate();
}

void frmSetupComm::cmdSave_Click()
{
    // The box refuses the text before anything is saved, as leaving it does.
    if (!txtCommPort_Validate())
        return;
    if (gRSComm)
        gRSComm->CloseRSComm();
    const int port = boundedValue(txtCommPort->text(), updCommPort->minimum(), updCommPort->maximum());
    const int speed = optPortSpeed[1]->isChecked() ? 19200 : 9600;
    if (!saveSettings(port, speed))
        return;
    if (m_wasOnline && gRSComm && gCommObj)
        gRSComm->OpenRSComm(*gCommObj);
    accept();
}

// RSPort.cfg, then CORVANE.SFG in each tool folder that exists. False after a reported failure.
bool frmSetupComm::saveSettings(int port, int speed)
{
    QString error;
    const QString path = RSComm::CommSettingsFile();
    const QString folder = QFileInfo(path).absolutePath();
    ItemWriter settings;
    settings.print(QString::number(port) + QLatin1Char(',')).printNumber(qint64(speed)).newLine();
    bool ok = QDir().mkpath(folder);
    if (!ok)
        error = QStringLiteral("Cannot create folder ") + folder;
    ok = ok && settings.save(path, &error);
    for (const QString& tools : m_toolFolders) {
        if (!ok)
            break;
        if (!QFileInfo(tools).isDir())
            continue;
        ItemWriter sfg;
        sfg.printLine(QString::number(port - 1));
        ok = sfg.save(installPath(QFileInfo(tools).fileName() + QStringLiteral("/CORVANE.SFG")), &error);
    }
    if (!ok)
        msgBox(errorText(kFileAccessError, error), Buttons::Ok, Icon::None, QStringLiteral("SetupComm"));
    return ok;
}

void frmSetupComm::cmdCancel_Click() { reject(); }
