// The status table's files and attached program: choosing a program for the names and the
// off-line image, the table commands New, Open, Save, Save As and Print with the save-changes
// check, and the wait-display operations that fill the grid after an Open.
#include "monitor/frmStatusTable.h"

#include "comm/RSComm.h"
#include "monitor/StatusTableFile.h"
#include "platform/FileDialogs.h"
#include "platform/FileLookup.h"
#include "platform/GridModel.h"
#include "platform/Install.h"
#include "platform/PrintSurface.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/frmMDIMain.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modReport.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QProgressBar>

namespace {
constexpr int kAddressCol = 1;
const QString kFileError = QStringLiteral("File Error");

// The target-board list's row of a board type code; row 0 ("(none)") for a code without one.
int boardRowOf(int code)
{
    for (int row = 1; row < 15; ++row)
        if (frmStatusTable::boardCodeOfRow(row) == code)
            return row;
    return 0;
}

// The table's name: its file title without the extension, whatever its length ("MYTAB" of
// "MYTAB.tbl" and of a file that has none).
QString tableNameOf(const QString& path) { return fileBaseName(path); }

const QString kTableExtension = QStringLiteral("tbl");

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

QString limitSwitchText(int code)
{
    const char* model = "";
    switch (code) {
    case 55: model = "K7747"; break;
    case 62: model = "V8325(PLS)"; break;
    case 63: model = "V8342"; break;
    case 64: model = "V8343"; break;
    case 67: model = "V8326(PLS)"; break;
    default: model = "V8390(PLS)"; break;
    }
    return QStringLiteral("Unable to View NicNames or Data for Target Board ") + QLatin1String(model) + QLatin1Char('.');
}

bool isListedController(int code) { return boardRowOf(code) != 0; }
} // namespace

// ---------------------------------------------------------------- the file dialog

bool frmStatusTable::BrowseForFile(int Mode)
{
    FileDialogRequest r;
    r.fileMustExist = true;
    r.filterIndex = 1;
    const QString selected = GetSelectedFile();
    const bool selectedExists = !selected.isEmpty() && QFileInfo(selected).isFile();
    if (Mode == 1) {
        r.filter = QStringLiteral("Corvane Files(*.cvp)|*.cvp|");
        r.initialFolder = selectedExists ? folderOf(selected) : installationFolder();
        r.fileName = selectedExists ? selected : QString();
    } else {
        r.filter = QStringLiteral("Status Table Files(*.tbl)|*.tbl|");
        if (!TablePath.isEmpty() && QFileInfo(TablePath).isFile()) {
            r.fileName = TablePath;
            r.initialFolder = folderOf(TablePath);
        } else {
            r.initialFolder = selectedExists ? folderOf(selected) : installationFolder();
        }
    }
    const std::optional<QString> chosen = fileDialogs().openFile(r);
    if (!chosen)
        return false;
    DialogFileName = *chosen;
    DialogInitDir = folderOf(*chosen);
    if (Mode == 1) {
        ProgramBaseName = QFileInfo(*chosen).completeBaseName();
        gCvpFile = ChangeFileExt(*chosen, QStringLiteral("cvp"));
        NamPath = ChangeFileExt(*chosen, QStringLiteral("nam"));
        LdtPath = ChangeFileExt(*chosen, QStringLiteral("ldt"));
        DocPath = ChangeFileExt(*chosen, QStringLiteral("doc"));
    } else {
        TablePath = *chosen;
        gStatusTableName = tableNameOf(*chosen);
    }
    return true;
}

// ---------------------------------------------------------------- the attached program

void frmStatusTable::uncheckViewBoxes()
{
    const std::pair<QCheckBox*, void (frmStatusTable::*)()> boxes[] = {
        {chkViewNicNames, &frmStatusTable::chkViewNicNames_Click},
        {chkViewDescriptions, &frmStatusTable::chkViewDescriptions_Click},
        {chkViewOffline, &frmStatusTable::chkViewOffline_Click}};
    for (const auto& [box, offBehaviour] : boxes)
        if (box->isChecked()) {
            box->setChecked(false);
            (this->*offBehaviour)();
        }
}

void frmStatusTable::DetachProgram()
{
    uncheckViewBoxes();
    for (QCheckBox* box : {chkViewNicNames, chkViewDescriptions, chkViewOffline})
        box->setEnabled(false);
    fraProgram->setTitle(ProgramFrameCaption);
    clearProgramFields();
    ClearNames();
}

void frmStatusTable::clearProgramFields()
{
    gCvpFile.clear();
    ProgramBaseName.clear();
    ProgramBoardCode = 0;
    NamPath.clear();
    DocPath.clear();
    LdtPath.clear();
}

void frmStatusTable::SelectStatusTableProgram()
{
    fraProgram->setTitle(ProgramFrameCaption);
    uncheckViewBoxes();
    if (!BrowseForFile(1)) {
        // Nothing was chosen: the program attached before stays, and so does its name.
        if (!ProgramBaseName.isEmpty())
            fraProgram->setTitle(ProgramFrameCaption + QLatin1Char(' ') + ProgramBaseName);
        giveGridFocus();
        return;
    }
    // The values the old program's image put in the grid are not the new program's.
    if (!OfflineImage.isEmpty())
        dropOfflineImage();
    // A selection that fails on the way leaves no half-attached program behind.
    auto refuse = [this](const QString& text, Icon icon, const QString& title) {
        msgBox(text, Buttons::Ok, icon, title);
        DetachProgram();
    };
    const QString cvp = findCaseInsensitive(gCvpFile);
    if (!QFileInfo(cvp).isFile()) {
        refuse(QStringLiteral("Unable to Determine Target Board,") + CRLF + QStringLiteral("File Does Not Exist."),
               Icon::Information, kFileError);
        return;
    }
    // The Corvane file as it is named on disk ("PUMP.CVP" for a chosen "PUMP.LMN"), so that the
    // main window's search finds the attached program.
    gCvpFile = cvp;
    QString why;
    const std::optional<QByteArray> bytes = readWholeFile(cvp, &why);
    if (!bytes) {
        refuse(errorText(75, why), Icon::None, QStringLiteral("Status Table"));
        return;
    }
    if (bytes->isEmpty()) {
        refuse(QStringLiteral("Unable to Determine Target Board."), Icon::None, kFileError);
        return;
    }
    fraProgram->setTitle(ProgramFrameCaption + QLatin1Char(' ') + ProgramBaseName);
    ProgramBoardCode = cvpBoardCode(*bytes);
    if (isListedController(ProgramBoardCode)) {
        cboTargetBoard->setCurrentIndex(boardRowOf(ProgramBoardCode));
        cboTargetBoard_Click();
        LoadNicNames();
        ArrangeGrid();
        chkViewOffline->setEnabled(true);
        return;
    }
    // Limit-switch boards have no status table; a code no board has is refused the same way.
    refuse(isLimitSwitchBoard(ProgramBoardCode) ? limitSwitchText(ProgramBoardCode)
                                                : QStringLiteral("Inappropriate or Unrecognized Target Board Type."),
           Icon::Information, QStringLiteral("Target Board Error"));
    cboTargetBoard->setCurrentIndex(0);
    cboTargetBoard_Click();
}

// ---------------------------------------------------------------- the save-changes check

int frmStatusTable::SaveChangesResult()
{
    const GridModel& g = *fgStatus;
    const int listed = static_cast<int>(gStatusTableList.size());
    bool changed = false;
    for (int r = 2; r < std::max(g.rows(), listed + 2) && !changed; ++r) {
        const QString cell = r < g.rows() ? g.textMatrix(r, kAddressCol) : QString();
        const QString saved = r - 2 < listed ? gStatusTableList[r - 2] : QString();
        // Rows past the saved list count once they hold an address, so that added rows are not
        // lost without a question; so do saved rows that were removed.
        changed = cell.compare(saved, Qt::CaseInsensitive) != 0;
    }
    if (!changed)
        return 0;
    const Answer a = msgBox(QStringLiteral("Save Changes to File?"), Buttons::YesNoCancel, Icon::Question,
                            QStringLiteral("Status Table"));
    return a == Answer::Yes ? 6 : a == Answer::No ? 7 : 2;
}

bool frmStatusTable::offerToSave()
{
    const int answer = SaveChangesResult();
    if (answer == 2)
        return false;
    // A save that did not happen (its Save As cancelled, or the file not written) ends the command.
    return answer != 6 || SaveStatusTable();
}

// ---------------------------------------------------------------- New and Open

void frmStatusTable::NewStatusTable()
{
    if (TableInitialised && !SkipSavePrompt && !offerToSave())
        return;
    TableInitialised = true;
    SkipSavePrompt = false;
    TableChanged = true;
    Untitled = true;
    fraStatus->setTitle(StatusFrameCaption);
    GridModel& g = *fgStatus;
    g.clear();
    g.setFormatString(QStringLiteral("^|<|^|^|>|>"));
    g.setRows(60);
    g.setFixedRows(2);
    g.setTextMatrix(0, 4, QStringLiteral("BIN High"));
    g.setTextMatrix(0, 5, QStringLiteral("BIN Low"));
    const QString names = chkViewNicNames->isChecked()       ? QStringLiteral("NicNames")
                          : chkViewDescriptions->isChecked() ? QStringLiteral("Descriptions")
                                                             : QStringLiteral(" ");
    const QString headings[] = {names,
                                QStringLiteral("Address"),
                                QStringLiteral("Decimal"),
                                QStringLiteral("HEX"),
                                QStringLiteral("76543210"),
                                QStringLiteral("76543210")};
    for (int c = 0; c < 6; ++c)
        g.setTextMatrix(1, c, headings[c]);
    g.setTextMatrix(g.rows() - 1, 0, QStringLiteral("*"));
    ArrangeGrid();
    g.setCurrentCell(2, 1);
    g.setTopRow(2);
    giveGridFocus();
    gStatusTableList = QStringList(g.rows() - 2, QString());
}

void frmStatusTable::OpenStatusTable()
{
    if (!offerToSave())
        return;
    const QString previousPath = TablePath;
    const QString previousName = gStatusTableName;
    if (!BrowseForFile(2)) {
        fraStatus->setTitle(StatusFrameCaption + QLatin1Char(' ') + gStatusTableName);
        return;
    }
    // Until the file is read, the table in the grid keeps its own file and name, so a later Save
    // cannot write it over the file that could not be opened.
    auto refuse = [&](const QString& text, const QString& title) {
        TablePath = previousPath;
        gStatusTableName = previousName;
        msgBox(text, Buttons::Ok, Icon::None, title);
    };
    if (!QFileInfo(TablePath).isFile()) {
        refuse(QStringLiteral("Status Table File is Empty,") + CRLF + QStringLiteral("File Does Not Exist."), kFileError);
        return;
    }
    QString why;
    const std::optional<QByteArray> bytes = readWholeFile(TablePath, &why);
    if (!bytes) {
        refuse(errorText(75, why), QStringLiteral("OpenStatusTable"));
        return;
    }
    if (bytes->isEmpty()) {
        refuse(QStringLiteral("Status Table File is Empty."), kFileError);
        return;
    }
    const StatusTableFileData file = readStatusTableFile(*bytes);

    TableChanged = true;
    SkipSavePrompt = true;
    NewStatusTable();
    Untitled = false;
    cboTargetBoard->setCurrentIndex(boardRowOf(file.boardCode));
    cboTargetBoard_Click();
    gStatusTableList = file.addresses;
    // The list ends in one empty entry after the last address read.
    gStatusTableList << QString();
    if (file.cut) {
        msgBox(QStringLiteral("Maximum Row Limit Reached."), Buttons::Ok, Icon::Exclamation, kFileError);
        // The table holds only the first part of the file: a Save must not cut the file short.
        Untitled = true;
    }
    GridModel& g = *fgStatus;
    g.setTextMatrix(g.rows() - 1, 0, QString());
    // At least the new-entry row, also for a file with no address line.
    g.setRows(std::max<int>(static_cast<int>(file.addresses.size()) + 2, 3));
    ShowWaitDisplay(1);
    g.setTextMatrix(g.rows() - 1, 0, QStringLiteral("*"));
    if (chkViewNicNames->isChecked() || chkViewDescriptions->isChecked())
        ShowWaitDisplay(2);
    fraStatus->setTitle(StatusFrameCaption + QLatin1Char(' ') + gStatusTableName);
}

// ---------------------------------------------------------------- Save and Save As

bool frmStatusTable::SaveStatusTable()
{
    if (Untitled)
        return SaveStatusTableAs();
    const GridModel& g = *fgStatus;
    QStringList addresses;
    for (int r = 2; r < g.rows(); ++r)
        addresses << g.textMatrix(r, kAddressCol);
    QString why;
    // Written whole: a save that fails leaves the old file as it was.
    if (!writeWholeFile(TablePath, statusTableFileBytes(TableBoardCode, addresses), &why)) {
        msgBox(errorText(75, why), Buttons::Ok, Icon::None, QStringLiteral("SaveStatusTable"));
        return false;
    }
    gStatusTableList = addresses;
    fraStatus->setTitle(StatusFrameCaption + QLatin1Char(' ') + gStatusTableName);
    QApplication::processEvents();
    return true;
}

bool frmStatusTable::SaveStatusTableAs()
{
    FileDialogRequest r;
    r.filter = QStringLiteral("Status Table Files(*.tbl)|*.tbl|");
    r.filterIndex = 1;
    r.fileMustExist = false;
    r.overwritePrompt = true;
    r.initialFolder = DialogInitDir;
    if (TablePath.size() >= 5) {
        r.fileName = TablePath;
        // An untitled table offers the last table's folder with the pattern.
        if (Untitled) {
            r.fileName = folderOf(TablePath) + QStringLiteral("/*.tbl");
            r.initialFolder = folderOf(TablePath);
        }
    }
    r.defaultExtension = kTableExtension;
    std::optional<QString> chosen = fileDialogs().saveFile(r);
    if (!chosen)
        return false;
    // A name typed without an extension is saved as a table file, which Open then lists.
    chosen = withDefaultExtension(*chosen, kTableExtension);
    const bool wasUntitled = Untitled;
    const QString previousPath = TablePath;
    const QString previousName = gStatusTableName;
    Untitled = false;
    TablePath = *chosen;
    gStatusTableName = tableNameOf(*chosen);
    DialogInitDir = folderOf(*chosen);
    if (SaveStatusTable())
        return true;
    // Not written: the table stays as it was, untitled when it was.
    Untitled = wasUntitled;
    TablePath = previousPath;
    gStatusTableName = previousName;
    return false;
}

// ---------------------------------------------------------------- Print

void frmStatusTable::PrintStatusTable()
{
    const std::optional<int> copies = printing().setupDialog();
    if (copies) {
        gReportJob.copies = *copies;
        gReportJob.error.reset();
        ShowWaitDisplay(3);
        if (gReportJob.error)
            msgBox(errorText(gReportJob.error->number, gReportJob.error->description), Buttons::Ok, Icon::None,
                   QStringLiteral("Print"));
    }
    giveGridFocus();
}

// ---------------------------------------------------------------- wait-display operations

void frmStatusTable::ReadStatusVariables(frmWaitDisplay& wait)
{
    GridModel& g = *fgStatus;
    const int count = static_cast<int>(gStatusTableList.size()) - 1;
    wait.pbrWaitDisplay->setRange(0, std::max(count, 1));
    for (int i = 0; i < count && i + 2 < g.rows(); ++i) {
        if (wait.CancelFlag) {
            wait.CancelFlag = false;
            return;
        }
        wait.pbrWaitDisplay->setValue(i + 1);
        g.setTextMatrix(i + 2, kAddressCol, gStatusTableList[i]);
    }
}

void frmStatusTable::RefreshNicNames(frmWaitDisplay& wait)
{
    GridModel& g = *fgStatus;
    wait.pbrWaitDisplay->setRange(0, std::max(g.rows() - 2, 1));
    for (int r = 2; r < g.rows(); ++r) {
        QApplication::processEvents();
        if (wait.CancelFlag) {
            wait.CancelFlag = false;
            return;
        }
        wait.pbrWaitDisplay->setValue(r - 1);
        const QString address = g.textMatrix(r, kAddressCol);
        if (address.size() > 1)
            g.setTextMatrix(r, 0, Nicname(address));
    }
}

void frmStatusTable::installFiles(frmMDIMain& main)
{
    auto& p = main.procs;
    p.selectStatusTableProgram = [] { instance()->SelectStatusTableProgram(); };
    p.openStatusTable = [] { instance()->OpenStatusTable(); };
    p.saveStatusTable = [] { instance()->SaveStatusTable(); };
    p.saveStatusTableAs = [] { instance()->SaveStatusTableAs(); };
    p.printStatusTable = [] { instance()->PrintStatusTable(); };
    frmWaitDisplay::setOperation(1, [](frmWaitDisplay& w) { instance()->ReadStatusVariables(w); });
    frmWaitDisplay::setOperation(2, [](frmWaitDisplay& w) { instance()->RefreshNicNames(w); });
    gStatusTableReportGrid = []() -> const GridModel* { return instance()->fgStatus; };
}
