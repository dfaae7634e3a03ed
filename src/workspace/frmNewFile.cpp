#include "workspace/frmNewFile.h"

#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/FileListBoxes.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/ShortNames.h"
#include "platform/TextItems.h"
#include "platform/ToolLauncher.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("New File");
const QString kPattern = QStringLiteral("*.cvp");
constexpr int kDefaultRow = 15; // code 68
constexpr int kFileError = 75;
constexpr int kToolError = 53;

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Every extension in `folder`, so that a short base made for a new program is free with all of them.
QStringList folderExtensions(const QString& folder)
{
    QSet<QString> seen;
    QStringList out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const QString ext = fileExtension(name).toUpper();
        if (!ext.isEmpty() && !seen.contains(ext)) {
            seen.insert(ext);
            out << ext;
        }
    }
    return out;
}
} // namespace

const std::array<int, 17>& frmNewFile::boardCodes()
{
    static const std::array<int, 17> codes = {50, 51, 54, 55, 56, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69};
    return codes;
}

int frmNewFile::rowOfCode(int code)
{
    const auto& codes = boardCodes();
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code)
            return static_cast<int>(i);
    return -1;
}

frmNewFile::frmNewFile(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNewFile"));
    setWindowTitle(QStringLiteral("Create New Corvane File"));
    drvNew = new DriveListBox(this);
    dirNew = new DirListBox(this);
    filNew = new FileListBox(this);
    txtNew = new QLineEdit(this);
    cboNew = new QComboBox(this);
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    // Enter is handled by the name field and the file list themselves, as OK.
    for (QPushButton* b : {cmdOk, cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* names = new QVBoxLayout;
    names->addWidget(new QLabel(QStringLiteral("File Name:"), this));
    names->addWidget(txtNew);
    names->addWidget(new QLabel(QStringLiteral("Files:"), this));
    names->addWidget(filNew, 1);
    auto* folders = new QVBoxLayout;
    folders->addWidget(new QLabel(QStringLiteral("Directory:"), this));
    folders->addWidget(dirNew, 1);
    folders->addWidget(new QLabel(QStringLiteral("Drive:"), this));
    folders->addWidget(drvNew);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addLayout(names, 0, 0);
    grid->addLayout(folders, 0, 1);
    grid->addLayout(buttons, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Target Board:"), this), 1, 0, 1, 2);
    grid->addWidget(cboNew, 2, 0, 1, 2);
    grid->setColumnMinimumWidth(0, 200);
    grid->setColumnMinimumWidth(1, 220);
    resize(560, 380);

    connect(drvNew, &DriveListBox::Change, this, &frmNewFile::drvNew_Change);
    connect(dirNew, &DirListBox::Change, this, &frmNewFile::dirNew_Change);
    connect(filNew, &FileListBox::Click, this, &frmNewFile::filNew_Click);
    connect(filNew, &FileListBox::KeyDown, this, &frmNewFile::filNew_KeyDown);
    connect(cmdOk, &QPushButton::clicked, this, &frmNewFile::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewFile::cmdCancel_Click);
    txtNew->installEventFilter(this);
}

void frmNewFile::Form_Load()
{
    cboNew->clear();
    for (int code : boardCodes())
        cboNew->addItem(boardTables().TargetboardName(code));
    cboNew->setCurrentIndex(kDefaultRow);
    txtNew->setText(kPattern);
    filNew->setPattern(kPattern);
    // Opened where the program browser is.
    const QString folder = gBrowserFolder ? gBrowserFolder() : QDir::currentPath();
    drvNew->setDrive(driveInfo().driveOf(folder));
    dirNew->setPath(folder);
    dirNew->refresh();
    filNew->setPath(dirNew->path());
    m_lastReadyDrive = drvNew->listIndex();
}

void frmNewFile::Form_Activate()
{
    CenterForm(this);
    txtNew->setFocus();
}

void frmNewFile::Form_Unload()
{
    m_mode = 0;
    hide();
}

void frmNewFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

void frmNewFile::drvNew_Change()
{
    const QString drive = drvNew->drive();
    if (driveInfo().isReady(drive)) {
        dirNew->setPath(drive);
        m_lastReadyDrive = drvNew->listIndex();
    } else {
        msgBox(QStringLiteral("Selected Drive is Not Ready."), Buttons::Ok, Icon::Information, QStringLiteral("Drives"));
        drvNew->setListIndex(m_lastReadyDrive);
    }
}

void frmNewFile::dirNew_Change()
{
    filNew->setPath(dirNew->path());
    QDir::setCurrent(dirNew->path());
}

void frmNewFile::filNew_Click()
{
    const QString name = filNew->fileName();
    if (name.isEmpty())
        return;
    txtNew->setText(name);
    const QString path = joinPath(filNew->path(), name);
    if (!QFileInfo(path).isReadable()) {
        msgBox(errorText(kFileError, QStringLiteral("Path/File access error") + CRLF + path), Buttons::Ok,
               Icon::Information, kTitle);
        return;
    }
    const int row = rowOfCode(GetTargetboardType(path));
    if (row >= 0)
        cboNew->setCurrentIndex(row);
}

void frmNewFile::filNew_KeyDown(int KeyCode)
{
    if (isEnter(KeyCode))
        cmdOk_Click();
}

void frmNewFile::txtNew_KeyDown(int KeyCode)
{
    if (isEnter(KeyCode))
        cmdOk_Click();
}

void frmNewFile::txtNew_GotFocus() { SelectAllText(txtNew); }

bool frmNewFile::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNew) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (isEnter(key)) {
                txtNew_KeyDown(key);
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, this, &frmNewFile::txtNew_GotFocus);
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString frmNewFile::programBaseName()
{
    const QString typed = txtNew->text().trimmed();
    // The extension is what follows the last dot; whatever it was, the program's is CVP.
    const int dot = static_cast<int>(typed.lastIndexOf(QLatin1Char('.')));
    const QString base = dot >= 0 ? typed.left(dot) : typed;
    if (!isValidProgramBase(base)) {
        msgBox(invalidProgramName(typed), Buttons::Ok, Icon::Information, kTitle);
        return {};
    }
    return base;
}

void frmNewFile::failed(const QString& description, int number)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::Critical, kTitle);
    txtNew->setText(kPattern);
    txtNew->setFocus();
}

void frmNewFile::cmdOk_Click()
{
    if (txtNew->text().contains(QLatin1Char('*'))) {
        txtNew->setFocus();
        return;
    }
    const QString base = programBaseName();
    if (base.isEmpty()) {
        txtNew->setFocus();
        return;
    }
    txtNew->setText(base + QStringLiteral(".CVP"));
    if (!fitsShortName(base))
        msgBox(QStringLiteral("Only 'Short' file names will be used.   "), Buttons::Ok, Icon::Information, kTitle);

    const QString folder = filNew->path();
    const QString target = joinPath(folder, base + QStringLiteral(".CVP"));
    if (QFileInfo(findCaseInsensitive(target)).isFile()) {
        if (prompts().messageWithDefault(target + QStringLiteral(" already exists.") + CRLF +
                                             QStringLiteral("Do you want to replace it?"),
                                         Buttons::YesNo, Icon::Exclamation, QStringLiteral("Create Corvane File"),
                                         Answer::No) != Answer::Yes) {
            txtNew->setFocus();
            return;
        }
        // The whole old program goes, so none of its files is taken for the new one's.
        QString error;
        if (!deleteProgramSetForReplace(folder, base, &error).isEmpty()) {
            failed(QStringLiteral("Path/File access error") + CRLF + error);
            return;
        }
    }
    if (!createProgram(folder, base))
        return;
    gNewFileCreated = true;
    // Only a program whose Corvane file exists may receive an upload.
    if (m_mode == 1 && gRSComm)
        gRSComm->InUploadMode(true);
    Form_Unload();
    done(Accepted);
}

// Writes the Corvane file under its short name and, for a new program, starts its tool.
bool frmNewFile::createProgram(const QString& folder, const QString& base)
{
    const int code = boardCodes()[static_cast<std::size_t>(qBound(0, cboNew->currentIndex(), 16))];
    const QString shortBase = shortBaseFor(folder, base, folderExtensions(folder));
    const QString path = joinPath(folder, shortBase + QStringLiteral(".CVP"));
    QString error;
    if (!ItemWriter().printLine(QString(QChar(code))).save(path, &error)) {
        failed(error);
        return false;
    }
    // The program exists from here on, whatever its tool does: both lists show it, also when the
    // tool cannot start and the dialog stays open to be cancelled.
    filNew->refresh();
    if (gMDIMain)
        gMDIMain->showProgramInBrowser(path);
    gProgramFile = path;
    return m_mode != 0 || startTool(code, programStem(path));
}

// False (after the error box) when the tool could not be started.
bool frmNewFile::startTool(int code, const QString& stem)
{
    ToolStart start;
    QString folderName;
    QString program;
    QString argument = stem;
    switch (boardFamilyOf(code)) {
    case BoardFamily::ControllerA:
        folderName = QStringLiteral("rdx3");
        program = QStringLiteral("vantor1.exe");
        argument += QLatin1Char('=') + boardTables().LCFBoardIndex(code);
        break;
    case BoardFamily::ControllerB:
        folderName = QStringLiteral("rdx7");
        program = QStringLiteral("vantor.exe");
        argument += QLatin1Char('=') + boardTables().LCFBoardIndex(code);
        break;
    case BoardFamily::LimitSwitch:
        folderName = QStringLiteral("qlx3");
        program = code == 69 ? QStringLiteral("orlund9.exe") : QStringLiteral("orlund.exe");
        break;
    case BoardFamily::Unsupported:
        return true;
    }
    // The tools' own files may be named in any case.
    start.program = findCaseInsensitive(joinPath(shortPath(installPath(folderName)), program));
    start.arguments << argument;
    start.workingFolder = QDir::currentPath();
    start.style = WindowStyle::MaximizedFocus;
    QString error;
    // A tool that cannot start is an error of OK: the dialog stays open with its name field reset.
    // The Corvane file written stays; OK on the same name offers to replace it.
    if (!toolLauncher().start(start, &error)) {
        failed(error, kToolError);
        return false;
    }
    return true;
}

void frmNewFile::cmdCancel_Click()
{
    if (gRSComm)
        gRSComm->InUploadMode(false);
    gNewFileCreated = false;
    Form_Unload();
    done(Rejected);
}

void frmNewFile::reject() { cmdCancel_Click(); }
