#include "WorkspaceFixture.h"
#include "platform/GridModel.h"
#include "workspace/frmEditDoc.h"
#include "workspace/frmMDIMain.h"

#include <QAction>
#include <QDialog>
#include <gtest/gtest.h>

namespace {
std::vector<QStringList> listed(const QByteArray& namBytes, const QByteArray& docBytes = {})
{
    VarDocTexts nam, doc;
    EXPECT_FALSE(readVarDocFile(namBytes, nam));
    EXPECT_FALSE(readVarDocFile(docBytes, doc));
    return listVarDoc(nam, doc);
}

TEST(VarDocReader, ListsEveryVariableAndBitThatHasAText)
{
    // The six-line file: a flag, a byte, one of its bits.
    EXPECT_EQ(listed("0007 Start\r\n&\r\n0032 Status\r\n/\r\n3Ready\r\n#\r\n"),
              (std::vector<QStringList>{{"F0007", " Start", ""}, {"B0032", " Status", ""}, {"B0032.3", "Ready", ""}}));
    // A description alone still lists its variable, with an empty nickname.
    EXPECT_EQ(listed("", "&\r\n&\r\n0010 Pump running\n"), (std::vector<QStringList>{{"X0010", "", " Pump running"}}));
    // Bytes below 32 are read but never listed; blank texts list nothing.
    EXPECT_EQ(listed("&\r\n0031 Low\r\n0033    \r\n0032x\r\n"), (std::vector<QStringList>{{"B0032", "x", ""}}));
    // Sections X, Y, I in turn; the 5th "&" ends the file.
    EXPECT_EQ(listed("&\r\n&\r\n0001a\r\n&\r\n0002b\r\n/\r\n7c\r\n&\r\n0151d\r\n&\r\n0001ignored\r\n"),
              (std::vector<QStringList>{{"X0001", "a", ""}, {"Y0002", "b", ""}, {"Y0002.7", "c", ""}, {"I0151", "d", ""}}));
    // A bit line in the flags section replaces the flag's text; a later line replaces an earlier one.
    EXPECT_EQ(listed("0005 one\r\n/\r\n2two\r\n#\r\n0006 a\r\n0006 b, with comma\r\n"),
              (std::vector<QStringList>{{"F0005", "two", ""}, {"F0006", " b, with comma", ""}}));
}

TEST(VarDocReader, ALineItCannotTakeEndsReadingAndKeepsWhatCameBefore)
{
    struct Case {
        const char* bytes;
        int number;
    } cases[] = {
        {"0001 a\r\n\r\n0002 b\r\n", 13},            // an empty line
        {"0001 a\r\nabcd b\r\n", 13},                // a number that is not one
        {"0001 a\r\n0992 b\r\n", 9},                 // past the flags
        {"0001 a\r\n&\r\n8176 b\r\n", 9},            // past the bytes
        {"0001 a\r\n&\r\n&\r\n0152 b\r\n", 9},       // past the points
        {"0001 a\r\n&\r\n0040x\r\n/\r\n8 b\r\n", 9}, // bit 8
        {"0001 a\r\n&\r\n0040x\r\n/\r\nz b\r\n", 13},
    };
    for (const Case& c : cases) {
        VarDocTexts nam;
        const auto error = readVarDocFile(c.bytes, nam);
        ASSERT_TRUE(error) << c.bytes;
        EXPECT_EQ(error->number, c.number) << c.bytes;
        EXPECT_EQ(nam.flags[1], " a") << c.bytes;
    }
}

using EditDocTest = WorkspaceTest;

TEST_F(EditDocTest, TheHiddenMenuEntryListsTheChosenProgramsFilesAndReportsABadLine)
{
    writeProgram("PUMP", 50);
    writeProgramFile("pump.NAM", "0007 Start\r\n&\r\n0040 Fill\r\n");
    writeProgramFile("PUMP.doc", "0007 Starts the pump\r\n\r\n0008 never read\r\n");
    start("PUMP.cvp");
    EXPECT_FALSE(main->mnuEditVarDoc->isVisible());
    dialogs.answers.push_back(programPath("PUMP.cvp"));
    ScriptedModals modals;
    GridModel* grid = nullptr;
    modals.then([&](QDialog& d) {
        auto& viewer = static_cast<frmEditDoc&>(d);
        viewer.Form_Activate();
        grid = viewer.fgEditDocModel;
        ASSERT_EQ(grid->rows(), 3);
        EXPECT_EQ(grid->textMatrix(0, 1), "NicName");
        EXPECT_EQ(grid->textMatrix(1, 0), "F0007");
        EXPECT_EQ(grid->textMatrix(1, 2), " Starts the pump");
        EXPECT_EQ(grid->textMatrix(2, 1), " Fill");
        EXPECT_EQ(grid->row(), 1);
        EXPECT_EQ(grid->col(), 1);
    });
    prompts.answerOk();
    main->mnuEditVarDoc->trigger();
    EXPECT_EQ(modals.shown, std::vector<QString>{"frmEditDoc"});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "EditDoc DisplayData");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 13\r\n\r\n")) << prompts.shown[0].text.toStdString();
}
} // namespace
