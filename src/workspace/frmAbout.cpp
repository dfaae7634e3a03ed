#include "workspace/frmAbout.h"

#include "platform/Resources.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/ToolLauncher.h"
#include "workspace/ProductIdentity.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Registry roots and keys under which the old system looked for its information tool.
constexpr long HKEY_LOCAL_MACHINE = 0x80000002L;
const QString gREGKEYSYSINFOLOC = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString gREGVALSYSINFOLOC = QStringLiteral("MSINFO");
const QString gREGKEYSYSINFO = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString gREGVALSYSINFO = QStringLiteral("PATH");

bool startDetached(const QString& program) { return toolLauncher().start({program, {}, QString()}, nullptr); }
} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    ensureResources();
    setModal(false);
    imgLogo = new QLabel(this);
    imgLogo->setPixmap(QIcon(QStringLiteral(":/images/logo.svg")).pixmap(64, 64));
    lblTitle = new QLabel(this);
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(this);
    lblRevisionDate = new QLabel(this);
    lblTechSupport = new QLabel(this);
    lblTechSupport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    for (QPushButton* b : {cmdOk, cmdSysInfo}) {
        b->setMinimumWidth(110);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(lblRevisionDate);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(imgLogo, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblTechSupport, 1, Qt::AlignTop);
    bottom->addStretch();
    bottom->addLayout(buttons);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(line);
    all->addLayout(bottom);
    setMinimumWidth(420);

    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

QString frmAbout::executablePath()
{
    const QString installed = installPath(QStringLiteral("corvanex"));
    return QFileInfo(installed).isFile() ? installed : QCoreApplication::applicationFilePath();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + ProductIdentity::title());
    lblTitle->setText(ProductIdentity::title());
    lblVersion->setText(ProductIdentity::versionText());
    const QDateTime modified = QFileInfo(executablePath()).lastModified();
    lblRevisionDate->setText(QStringLiteral("Revised: ") + QLocale().toString(modified.date(), QLocale::ShortFormat));
    QString support = QStringLiteral("Technical Support:");
    const QStringList lines = ProductIdentity::supportLines();
    for (const QString& l : lines)
        support += QLatin1Char('\n') + QStringLiteral("    ") + l;
    lblTechSupport->setText(support);
    lblTechSupport->setVisible(!lines.isEmpty());
    adjustSize();
}

void frmAbout::cmdOk_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo()
{
    QString path;
    if (GetKeyValue(HKEY_LOCAL_MACHINE, gREGKEYSYSINFO, gREGVALSYSINFO, path)) {
        if (startDetached(path))
            return;
    } else if (GetKeyValue(HKEY_LOCAL_MACHINE, gREGKEYSYSINFOLOC, gREGVALSYSINFOLOC, path)) {
        const QString tool = findCaseInsensitive(path + QStringLiteral("/MSINFO32.EXE"));
        if (QFileInfo(tool).isFile() && startDetached(tool))
            return;
    }
    msgBox(QStringLiteral("System Information Is Unavailable At This Time"), Buttons::Ok);
}

bool frmAbout::GetKeyValue(long, const QString&, const QString&, QString& KeyVal)
{
    KeyVal.clear();
    return false;
}
