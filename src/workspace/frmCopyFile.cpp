#include "workspace/frmCopyFile.h"

#include "platform/Drives.h"
#include "platform/FileDialogs.h"
#include "platform/FileLookup.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/ShortNames.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kTitle = QStringLiteral("Copy File");
const QString kFilter = QStringLiteral("Corvane Files(*.cvp)|*.cvp|");
const QString kFull = QStringLiteral("The disk in the destination drive is full.");
constexpr int kFileError = 75;

// A folder as the path labels show it: with a trailing separator, which a root already has.
QString folderLabel(const QString& folder) { return joinPath(folder, QString()); }

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

void copyError(const QString& description)
{
    msgBox(errorText(kFileError, QStringLiteral("Path/File access error") + CRLF + description), Buttons::Ok,
           Icon::Critical, kTitle);
}

// Removes `path` and every file of its folder that differs from its name only in case, so that
// the copy does not leave a second spelling of the same file behind. A file the user made
// read-only is not overwritten: nothing is removed and the reason is given in *error.
bool removeAnyCase(const QString& path, QString* error)
{
    const QFileInfo info(path);
    const QDir dir(info.absolutePath());
    QStringList same;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            same << dir.filePath(name);
    for (const QString& file : same) {
        if (!(QFile(file).permissions() & QFileDevice::WriteOwner)) {
            *error = QFileInfo(file).fileName() + QStringLiteral(": the file is read-only");
            return false;
        }
    }
    for (const QString& file : same) {
        QFile f(file);
        if (!f.remove()) {
            *error = f.errorString();
            return false;
        }
    }
    return true;
}
} // namespace

frmCopyFile::frmCopyFile(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCopyFile"));
    setWindowTitle(QStringLiteral("Save Corvane File As..."));
    lblSource[0] = new QLabel(QStringLiteral("Source:"), this);
    lblSource[1] = new QLabel(QStringLiteral("Source Path"), this);
    lblDestination[0] = new QLabel(QStringLiteral("Destination:"), this);
    lblDestination[1] = new QLabel(QStringLiteral("Destination Path"), this);
    for (QLabel* l : {lblSource[1], lblDestination[1]}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumWidth(320);
    }
    txtSource = new QLineEdit(this);
    txtDestination = new QLineEdit(this);
    cmdBrowseSource = new QPushButton(QStringLiteral("Browse ..."), this);
    cmdDestination = new QPushButton(QStringLiteral("Browse ..."), this);
    cmdCopy = new QPushButton(QStringLiteral("C&opy File"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    lblCopyStatus = new QLabel(QStringLiteral("Copying Files, Please Stand By ..."), this);
    lblCopyStatus->hide();
    for (QPushButton* b : {cmdBrowseSource, cmdDestination, cmdCopy, cmdCancel})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblSource[0], 0, 0);
    grid->addWidget(lblSource[1], 0, 1, 1, 2);
    grid->addWidget(txtSource, 1, 1);
    grid->addWidget(cmdBrowseSource, 1, 2);
    grid->addWidget(lblDestination[0], 2, 0);
    grid->addWidget(lblDestination[1], 2, 1, 1, 2);
    grid->addWidget(txtDestination, 3, 1);
    grid->addWidget(cmdDestination, 3, 2);
    grid->addWidget(lblCopyStatus, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 5, 0, 1, 3);

    connect(cmdBrowseSource, &QPushButton::clicked, this, &frmCopyFile::cmdBrowseSource_Click);
    connect(cmdDestination, &QPushButton::clicked, this, &frmCopyFile::cmdDestination_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmCopyFile::cmdCopy_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCopyFile::cmdCancel_Click);
    txtSource->installEventFilter(this);
    txtDestination->installEventFilter(this);
}

void frmCopyFile::Form_Load()
{
    m_source = GetSelectedFile();
    m_remembered = m_source;
    txtDestination->clear();
    if (QFileInfo(m_source).isFile()) {
        lblSource[1]->setText(folderLabel(folderOf(m_source)));
        lblDestination[1]->setText(lblSource[1]->text());
        txtSource->setText(QFileInfo(m_source).fileName());
    } else {
        lblSource[1]->setText(folderLabel(installationFolder()));
        lblDestination[1]->setText(lblSource[1]->text());
        txtSource->setText(QStringLiteral("*.cvp"));
    }
}

void frmCopyFile::Form_Activate()
{
    CenterForm(this);
    m_idle = true;
    txtDestination->setFocus();
}

void frmCopyFile::Form_Unload() { gProgramFile = m_remembered; }

void frmCopyFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

bool frmCopyFile::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == txtSource)
            txtSource_Click();
        else if (watched == txtDestination)
            txtDestination_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void frmCopyFile::txtSource_Click() { SelectAllText(txtSource); }

void frmCopyFile::txtDestination_Click() { SelectAllText(txtDestination); }

// ---------------------------------------------------------------- browsing

void frmCopyFile::cmdBrowseSource_Click()
{
    cmdCancel->setText(QStringLiteral("&Cancel"));
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = kFilter;
    request.filterIndex = 1;
    request.fileMustExist = true;
    if (QFileInfo(m_source).isFile()) {
        request.fileName = m_source;
        request.initialFolder = folderOf(m_source);
    } else {
        request.initialFolder = installationFolder();
    }
    const std::optional<QString> chosen = fileDialogs().openFile(request);
    if (!chosen)
        return;
    const QString found = findCaseInsensitive(*chosen);
    if (QFileInfo(found).isFile()) {
        m_source = found;
        lblSource[1]->setText(folderLabel(folderOf(found)));
        txtSource->setText(QFileInfo(found).fileName());
        if (!QFileInfo(m_remembered).isFile())
            m_remembered = found;
    }
    lblDestination[1]->setText(folderLabel(folderOf(*chosen)));
}

void frmCopyFile::cmdDestination_Click()
{
    cmdCancel->setText(QStringLiteral("&Cancel"));
    FileDialogRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = kFilter;
    request.filterIndex = 1;
    // A new name is the point of the dialog, and an existing program gets its own question.
    request.fileMustExist = false;
    request.overwritePrompt = false;
    const QString folder = folderOf(m_remembered);
    if (!m_remembered.isEmpty() && QFileInfo(folder).isDir()) {
        request.fileName = m_remembered;
        request.initialFolder = folder;
    } else {
        request.initialFolder = installationFolder();
    }
    const std::optional<QString> chosen = fileDialogs().saveFile(request);
    if (!chosen)
        return;
    txtDestination->setText(QFileInfo(*chosen).fileName());
    if (QFileInfo(folderOf(*chosen)).isDir())
        lblDestination[1]->setText(folderLabel(folderOf(*chosen)));
}

// ---------------------------------------------------------------- copying

void frmCopyFile::cmdCopy_Click()
{
    m_idle = false;
    const QString sourcePath = findCaseInsensitive(lblSource[1]->text() + txtSource->text());
    if (!QFileInfo(sourcePath).isFile()) {
        msgBox(sourcePath + QStringLiteral(" does not exist.?"), Buttons::Ok, Icon::Information, kTitle);
        m_idle = true;
        return;
    }
    QString destPath = lblDestination[1]->text() + txtDestination->text().trimmed();
    if (txtDestination->text().trimmed().isEmpty()) {
        m_idle = true;
        return;
    }
    if (fileExtension(destPath).compare(QLatin1String("cvp"), Qt::CaseInsensitive) != 0)
        destPath += QStringLiteral(".cvp");
    const QString destFolder = folderOf(destPath);
    const QString destBase = fileBaseName(QFileInfo(destPath).fileName());
    if (destBase.isEmpty()) {
        m_idle = true;
        return;
    }
    // A wildcard, ":" or "\" would end up in the names of the copy's files.
    if (!isValidProgramBase(destBase)) {
        msgBox(invalidProgramName(txtDestination->text().trimmed()), Buttons::Ok, Icon::Information, kTitle);
        m_idle = true;
        return;
    }
    if (!fitsShortName(destBase))
        msgBox(QStringLiteral("Only 'Short' file names will be used.   "), Buttons::Ok, Icon::Information, kTitle);

    const QString sourceFolder = folderOf(sourcePath);
    const QString sourceBase = fileBaseName(QFileInfo(sourcePath).fileName());
    // Copying a program onto itself would delete or overwrite the very files being copied.
    if (sameFileSystemEntry(sourceFolder, destFolder) &&
        sourceBase.compare(destBase, Qt::CaseInsensitive) == 0) {
        msgBox(QStringLiteral("The Corvane program ") + QFileInfo(sourcePath).fileName() +
                   QStringLiteral(" can not be copied onto itself."),
               Buttons::Ok, Icon::Information, kTitle);
        m_idle = true;
        return;
    }
    if (QFileInfo(findCaseInsensitive(destPath)).isFile()) {
        if (msgBox(QStringLiteral("The Corvane program ") + QFileInfo(destPath).fileName() +
                       QStringLiteral(" already exists. Do you want to replace the existing program?"),
                   Buttons::YesNoCancel, Icon::Question, kTitle) != Answer::Yes) {
            m_idle = true;
            return;
        }
        // The old program goes as a whole, so none of its files is left to pass for the copy's.
        QString error;
        if (!deleteProgramSetForReplace(destFolder, destBase, &error).isEmpty()) {
            copyError(error);
            m_idle = true;
            return;
        }
    }

    cmdCancel->setText(QStringLiteral("&Cancel"));
    cmdCopy->setEnabled(false);
    lblCopyStatus->setText(QStringLiteral("Copying Files, Please Stand By ..."));
    lblCopyStatus->show();
    yieldOnce();
    QString lastFile;
    if (copyFiles(sourceFolder, sourceBase, destFolder, destBase, lastFile)) {
        const QString cvp = joinPath(folderOf(lastFile), fileBaseName(QFileInfo(lastFile).fileName()) +
                                                             QStringLiteral(".CVP"));
        lblDestination[1]->setText(folderLabel(folderOf(lastFile)));
        txtDestination->setText(QFileInfo(cvp).fileName());
        m_remembered = cvp;
    }
    setIdle();
}

bool frmCopyFile::copyFiles(const QString& sourceFolder, const QString& sourceBase, const QString& destFolder,
                            const QString& destBase, QString& lastFile)
{
    const QStringList files = programSetFiles(sourceFolder, sourceBase);
    QStringList extensions;
    for (const QString& name : files)
        extensions << fileExtension(name).toUpper();
    // One short base for the whole set, so its files keep sharing a base name.
    const QString base = shortBaseFor(destFolder, destBase, extensions);
    for (const QString& name : files) {
        yieldOnce();
        if (m_idle)
            return false; // Cancel
        const QString ext = fileExtension(name).toUpper();
        const QString source = joinPath(sourceFolder, name);
        const QString dest = joinPath(destFolder, ext.isEmpty() ? base : base + QLatin1Char('.') + ext);
        lblCopyStatus->setText(QStringLiteral("Copying:  ") + name);
        switch (checkDrive(destFolder, QFileInfo(source).size())) {
        case DriveCheck::Fits:
            break;
        case DriveCheck::Cancelled:
        case DriveCheck::FixedFull:
            return false;
        }
        QFile from(source);
        QString error;
        if (!removeAnyCase(dest, &error)) {
            copyError(dest + CRLF + error);
            return false;
        }
        if (!from.copy(dest)) {
            copyError(dest + CRLF + from.errorString());
            return false;
        }
        lastFile = dest;
    }
    return !lastFile.isEmpty();
}

frmCopyFile::DriveCheck frmCopyFile::checkDrive(const QString& folder, qint64 size)
{
    DriveInfo& drives = driveInfo();
    const QString root = drives.driveOf(folder);
    for (;;) {
        if (!drives.isReady(root)) {
            if (msgBox(QStringLiteral("Please insert disk into drive ") + root + QStringLiteral("."), Buttons::RetryCancel,
                       Icon::Information, QStringLiteral("Insert Disk")) != Answer::Retry)
                return DriveCheck::Cancelled;
            continue;
        }
        if (drives.freeBytes(root) >= size)
            return DriveCheck::Fits;
        if (!drives.isRemovable(root)) {
            msgBox(kFull, Buttons::Ok, Icon::Critical, QStringLiteral("Copy"));
            return DriveCheck::FixedFull;
        }
        if (msgBox(kFull + CRLF + CRLF + QStringLiteral("Insert a new disk to continue."), Buttons::RetryCancel,
                   Icon::Information, QStringLiteral("Copy")) != Answer::Retry)
            return DriveCheck::Cancelled;
    }
}

void frmCopyFile::yieldOnce()
{
    if (FileYield)
        FileYield();
    else
        QApplication::processEvents();
}

void frmCopyFile::setIdle()
{
    cmdCancel->setText(QStringLiteral("&Ok"));
    cmdCancel->setFocus();
    cmdCopy->setEnabled(true);
    m_idle = true;
    lblCopyStatus->hide();
    if (gMDIMain)
        gMDIMain->showProgramInBrowser(m_remembered);
}

void frmCopyFile::cmdCancel_Click()
{
    if (!m_idle) {
        m_idle = true; // the copy stops before its next file
        return;
    }
    Form_Unload();
    done(Rejected);
}

void frmCopyFile::reject() { cmdCancel_Click(); }
