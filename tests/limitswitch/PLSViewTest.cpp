#include "PLSFixture.h"

#include "limitswitch/frmPLSView.h"
#include "platform/GridModel.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>

namespace {
class PLSViewTest : public PLSTest {
protected:
    // Opens the view of the program's file `name` from its tree, as a double click does, and
    // runs `look` on it while it is shown.
    void view(const QString& name, const std::function<void(frmPLSView&)>& look)
    {
        modals.then([&](QDialog& d) {
            auto& v = static_cast<frmPLSView&>(d);
            v.show();
            v.Form_Activate();
            look(v);
            if (qEnvironmentVariableIsSet("PLSVIEW_PNG"))
                v.grab().save(qEnvironmentVariable("PLSVIEW_PNG") + QString::number(++m_shots) + name + ".png");
            v.cmdOk_Click();
        });
        browser().RefreshFileList(gProgramFile);
        // A file gone since the tree was drawn is still viewed, with the defaults.
        if (QFile::exists(programPath(name)))
            doubleClickNode(name.endsWith("CHL") ? "CHANNEL" : "PLS Config");
        else
            frmPLSView::ShowMe(programPath(name));
        EXPECT_TRUE(modals.steps.empty());
    }
    QStringList values(const frmPLSView& v, int from, int to) const
    {
        QStringList out;
        for (int i = from; i <= to; ++i)
            out << v.lblPCFValue[i]->text();
        return out;
    }
    QStringList gridRows(const frmPLSView& v, int count) const
    {
        QStringList out;
        for (int r = 0; r < count; ++r)
            out << v.fgPLSChannels->textMatrix(r, 0) + "|" + v.fgPLSChannels->textMatrix(r, 1) + "|" +
                       v.fgPLSChannels->textMatrix(r, 2);
        return out;
    }
    QStringList visibleFrames(const frmPLSView& v) const
    {
        QStringList out;
        for (int i = 0; i < 3; ++i)
            if (v.fraPLS[i]->isVisible())
                out << QString::number(i);
        return out;
    }
    ScriptedModals modals;
    int m_shots = 0;
};

TEST_F(PLSViewTest, TheChannelGridListsEveryChannelInOctal)
{
    useProgram("BRAKE", 62);
    writeProgramFile("BRAKE.PCF", "163603000000000000000000000000000%\r\n");
    writeProgramFile("BRAKE.CHL", ":360\r\n:000\r\n:001:00:00:00Cam            \r\n|100200\r\n|300300\r\n|010020\r\n"
                                  ":101:00:00:00\r\n%\r\n");
    gPLSData.Channels = 3;
    gPLSData.ChannelSetpoints[0] = pairs({{1, 2}});
    const PLSFileData before = gPLSData;
    view("BRAKE.CHL", [&](frmPLSView& v) {
        EXPECT_EQ(visibleFrames(v), QStringList({"2"}));
        EXPECT_EQ(v.windowTitle(), "BRAKE - V8325(PLS)");
        EXPECT_EQ(gridRows(v, 8), QStringList({"CHANNEL NUMBER:|ON POS|Off POS", " CH0 - Cam            |100|200",
                                               "|****|****", "|10|20", "||", " CH1 - |****|****", "||",
                                               " CH2 - |****|****"}));
        const GridModel& g = *v.fgPLSChannels;
        EXPECT_EQ(g.textMatrix(1 + 4 + 2 * 7, 0), " CH10 - ");
        EXPECT_EQ(g.textMatrix(1 + 4 + 2 * 14, 0), " CH17 - ");
        EXPECT_EQ(g.textMatrix(1 + 4 + 2 * 15, 0), "");
        EXPECT_GE(g.rows(), 1 + 4 + 2 * 15);
    });
    // The view read into a record of its own.
    EXPECT_EQ(gPLSData, before);

    // Without the CHL file every channel has the single pair (0, 0).
    QFile::remove(programPath("BRAKE.CHL"));
    view("BRAKE.CHL", [&](frmPLSView& v) {
        EXPECT_EQ(gridRows(v, 3), QStringList({"CHANNEL NUMBER:|ON POS|Off POS", " CH0 - |****|****", "||"}));
        EXPECT_EQ(v.fgPLSChannels->textMatrix(1 + 2 * 15, 0), " CH17 - ");
    });
}

TEST_F(PLSViewTest, TheConfigurationFrameSuitsTheBoardFamily)
{
    struct Case {
        int code;
        QByteArray pcf;
        QStringList frames, shown;
    } cases[] = {
        // A disabled brake-wear group shows its fixed texts whatever the columns hold.
        {62, "165112009200045006012340" "12001500%",
         {"1"},
         {"16", "511", "9", "No", "000", "+-0", "1", "000-000", "Yes", "1200 RPM", "1500 RPM"}},
        {62, "165111009200045006012340" "12001500%",
         {"1"},
         {"16", "511", "9", "Yes", "200", "+-45", "6", "12-340", "No", "0000 RPM", "0000 RPM"}},
        {69, "3210005001002003004005006007008" "0000000000000000%",
         {"0"},
         {"32", "1000", "5", "1", "2", "3", "4", "5", "6", "7", "8"}},
        // No file: the defaults.
        {69, {}, {"0"}, {"8", "360", "0", "0", "0", "0", "0", "0", "0", "0", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        useProgram("PRESS", c.code);
        if (!c.pcf.isEmpty())
            writeProgramFile("PRESS.PCF", c.pcf + "\r\n");
        else
            QFile::remove(programPath("PRESS.PCF"));
        view("PRESS.PCF", [&](frmPLSView& v) {
            EXPECT_EQ(visibleFrames(v), c.frames);
            EXPECT_EQ(values(v, c.code == 69 ? 0 : 11, c.code == 69 ? 10 : 21), c.shown);
        });
    }
}
} // namespace
