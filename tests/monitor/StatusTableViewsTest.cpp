#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"

#include "monitor/StatusTableNames.h"
#include "monitor/frmStatusTable.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The status table in a main window, attached to the program PUMP of board code 50 (its files as
// each test writes them).
class StatusTableViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PollingLoop::setAutoStart(false);
        QDir().mkpath(install.path("progs"));
        main = makeMainWindow(std::make_unique<SimCommPort>());
        main->MDIForm_Load();
        main->tmrBackgroungUpdate->stop();
        main->mnuToolsStatusTable_Click();
        table = frmStatusTable::existing();
        ASSERT_NE(table, nullptr);
        QCoreApplication::processEvents();
        table->TableBoardCode = table->ProgramBoardCode = 50;
        for (QString* path : {&table->NamPath, &table->DocPath, &table->LdtPath})
            *path = install.path("progs/PUMP.") +
                    (path == &table->NamPath ? "nam" : path == &table->DocPath ? "doc" : "ldt");
        table->chkViewOffline->setEnabled(true);
    }
    void TearDown() override
    {
        main.reset();
        PollingLoop::setAutoStart(true);
        clearNameTables();
        gViewNicNames = gViewDescriptions = false;
        gActiveChild = 0;
    }
    void click(QCheckBox* box, void (frmStatusTable::*handler)())
    {
        box->setChecked(!box->isChecked());
        (table->*handler)();
    }

    TestInstall install;
    ScriptedPrompts prompts;
    std::unique_ptr<frmMDIMain> main;
    frmStatusTable* table = nullptr;
};

TEST_F(StatusTableViewsTest, TheNameBoxesShowOneNamesColumnAtATime)
{
    install.writeFile("progs/PUMP.NAM", "&\r\n0012Motor\r\n");
    prompts.answerOk();
    table->LoadNicNames();
    EXPECT_EQ(prompts.shown.at(0).text, "Unable to Open Descriptions File,\r\nFile Does Not Exist.");
    EXPECT_TRUE(table->chkViewNicNames->isEnabled());
    EXPECT_FALSE(table->chkViewDescriptions->isEnabled());

    install.writeFile("progs/PUMP.DOC", "&\r\n0012Motor drive\r\n");
    table->LoadNicNames();
    ASSERT_TRUE(table->chkViewDescriptions->isEnabled());
    GridModel& grid = *table->fgStatus;
    grid.setTextMatrix(2, 1, "B12");

    click(table->chkViewNicNames, &frmStatusTable::chkViewNicNames_Click);
    EXPECT_EQ(grid.textMatrix(1, 0), "NicNames");
    EXPECT_TRUE(gViewNicNames);
    EXPECT_EQ(grid.textMatrix(2, 0), "Motor");
    EXPECT_EQ(grid.textMatrix(3, 0), "");
    const int narrow = grid.colWidth(0);

    click(table->chkViewDescriptions, &frmStatusTable::chkViewDescriptions_Click);
    EXPECT_FALSE(table->chkViewNicNames->isChecked());
    EXPECT_FALSE(gViewNicNames);
    EXPECT_TRUE(gViewDescriptions);
    EXPECT_EQ(grid.textMatrix(1, 0), "Descriptions");
    EXPECT_EQ(grid.textMatrix(2, 0), "Motor drive");
    EXPECT_GT(grid.colWidth(0), narrow);

    click(table->chkViewDescriptions, &frmStatusTable::chkViewDescriptions_Click);
    EXPECT_FALSE(gViewDescriptions);
    EXPECT_EQ(grid.textMatrix(2, 0), "");
    EXPECT_EQ(grid.textMatrix(grid.rows() - 1, 0), "*");
    EXPECT_EQ(table->Nicname("B12"), "");
}

TEST_F(StatusTableViewsTest, ViewOfflineDataLoadsTheImageOrDropsEveryImageAndSaysWhyNot)
{
    struct Case {
        const char* name;
        std::optional<QByteArray> ldt;
        QString text, title;
        bool boxEnabled;
    } cases[] = {
        {"missing", std::nullopt, "Unable to Open Data File,\r\nFile Does Not Exist.", "File Open Error", false},
        {"empty", QByteArray(), "Unable to Open Data File.", "File Open Error", true},
        {"past byte 8192", QByteArray(8194 * 2, '1'), "Error Number = 9\r\n\r\n", "Status Table", true},
    };
    GridModel& grid = *table->fgStatus;
    grid.setTextMatrix(2, 1, "B1");
    install.writeFile("progs/PUMP.LDT", "0:?1\r\n");
    const QString pump = table->LdtPath;
    table->TableChanged = false; // the new table's change notice, taken
    for (const Case& c : cases) {
        // PUMP's image, placed from byte 0 for board code 50, shows off-line.
        table->LdtPath = pump;
        table->chkViewOffline->setEnabled(true);
        click(table->chkViewOffline, &frmStatusTable::chkViewOffline_Click);
        ASSERT_TRUE(table->OfflineDataShown);
        EXPECT_EQ(table->OfflineImage.mid(0, 3), QStringList({"0A", "F1", ""}));
        table->liveLoop()->runOnce();
        ASSERT_EQ(grid.textMatrix(2, 2), "241");
        // Another program is attached (its box goes off) whose LDT file cannot be used.
        click(table->chkViewOffline, &frmStatusTable::chkViewOffline_Click);
        EXPECT_FALSE(table->OfflineDataShown);
        table->LdtPath = install.path("progs/OTHER.ldt");
        QFile::remove(table->LdtPath);
        if (c.ldt)
            install.writeFile("progs/OTHER.ldt", *c.ldt);
        prompts.answerOk();
        click(table->chkViewOffline, &frmStatusTable::chkViewOffline_Click);
        EXPECT_TRUE(prompts.shown.back().text.startsWith(c.text)) << c.name;
        EXPECT_EQ(prompts.shown.back().title, c.title) << c.name;
        EXPECT_FALSE(table->chkViewOffline->isChecked()) << c.name;
        EXPECT_EQ(table->chkViewOffline->isEnabled(), c.boxEnabled) << c.name;
        EXPECT_FALSE(table->OfflineDataShown) << c.name;
        EXPECT_TRUE(table->OfflineImage.isEmpty()) << c.name;
        for (int col = 2; col <= 5; ++col)
            EXPECT_EQ(grid.textMatrix(2, col), "") << c.name << " column " << col;
    }
    EXPECT_EQ(prompts.unanswered(), 0u);
}

} // namespace
