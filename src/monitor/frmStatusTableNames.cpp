// The status table's names column (nicknames or descriptions of the attached program) and its
// off-line image (the program's board data, shown while the link is off-line).
#include "monitor/StatusTableNames.h"
#include "monitor/frmStatusTable.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/Prompts.h"
#include "workspace/modUtility.h"

#include <QCheckBox>

QString frmStatusTable::Nicname(const QString& Address) { return lookupName(Address); }

void frmStatusTable::LoadNicNames()
{
    const NameFilesLoaded loaded = loadNameFiles(NamPath, DocPath, TableBoardCode);
    const std::pair<QCheckBox*, NameFileState> boxes[] = {{chkViewNicNames, loaded.nicNames},
                                                          {chkViewDescriptions, loaded.descriptions}};
    for (const auto& [box, state] : boxes) {
        // Only a file that was read gives its box names to show.
        if (state != NameFileState::Read)
            box->setChecked(false);
        box->setEnabled(state == NameFileState::Read);
    }
}

void frmStatusTable::ClearNames()
{
    clearNameTables();
    OfflineImage.clear();
    OfflineDataShown = false;
}

namespace {
// The names column's rows lose their names: every data row before the new-entry row.
void emptyNamesColumn(GridModel& grid)
{
    for (int r = 2; r < grid.rows() - 1; ++r)
        grid.setTextMatrix(r, 0, QString());
}
} // namespace

void frmStatusTable::chkViewNicNames_Click()
{
    if (chkViewNicNames->isChecked()) {
        if (chkViewDescriptions->isChecked()) {
            chkViewDescriptions->setChecked(false);
            chkViewDescriptions_Click();
        }
        ShowNameColumn();
        return;
    }
    gViewNicNames = false;
    ArrangeGrid();
    emptyNamesColumn(*fgStatus);
    giveGridFocus();
}

void frmStatusTable::chkViewDescriptions_Click()
{
    if (chkViewDescriptions->isChecked()) {
        if (chkViewNicNames->isChecked()) {
            chkViewNicNames->setChecked(false);
            chkViewNicNames_Click();
        }
        ShowNameColumn();
        return;
    }
    gViewDescriptions = false;
    ArrangeGrid();
    emptyNamesColumn(*fgStatus);
    giveGridFocus();
}

void frmStatusTable::ShowNameColumn()
{
    if (chkViewNicNames->isChecked()) {
        fgStatus->setTextMatrix(1, 0, QStringLiteral("NicNames"));
        gViewNicNames = true;
    } else if (chkViewDescriptions->isChecked()) {
        fgStatus->setTextMatrix(1, 0, QStringLiteral("Descriptions"));
        gViewDescriptions = true;
    } else {
        fgStatus->setTextMatrix(1, 0, QString());
    }
    ShowWaitDisplay(2);
    giveGridFocus();
    ArrangeGrid();
}

void frmStatusTable::dropOfflineImage()
{
    chkViewOffline->setChecked(false);
    OfflineImage.clear();
    OfflineDataShown = false;
    // On-line the value columns hold the board's values; off-line they may hold an earlier image's,
    // perhaps another program's, which must not stand under this program's name.
    if (gRSComm && gRSComm->OnlineMode)
        return;
    for (int r = 2; r < fgStatus->rows(); ++r)
        for (int c = 2; c <= 5; ++c)
            if (!fgStatus->textMatrix(r, c).isEmpty())
                fgStatus->setTextMatrix(r, c, QString());
}

void frmStatusTable::chkViewOffline_Click()
{
    if (!chkViewOffline->isChecked()) {
        OfflineDataShown = false;
        giveGridFocus();
        return;
    }
    const QString title = QStringLiteral("File Open Error");
    OfflineImageLoad load = loadOfflineImage(LdtPath, ProgramBoardCode);
    switch (load.status) {
    case OfflineImageLoad::Missing:
        msgBox(QStringLiteral("Unable to Open Data File,") + CRLF + QStringLiteral("File Does Not Exist."), Buttons::Ok,
               Icon::Information, title);
        chkViewOffline->setEnabled(false);
        dropOfflineImage();
        break;
    case OfflineImageLoad::Empty:
        msgBox(QStringLiteral("Unable to Open Data File."), Buttons::Ok, Icon::Information, title);
        dropOfflineImage();
        break;
    case OfflineImageLoad::Refused:
        msgBox(errorText(load.error.number, load.error.description), Buttons::Ok, Icon::Critical,
               QStringLiteral("Status Table"));
        dropOfflineImage();
        break;
    case OfflineImageLoad::Loaded:
        OfflineImage = std::move(load.image);
        OfflineDataShown = true;
        break;
    }
    giveGridFocus();
}
