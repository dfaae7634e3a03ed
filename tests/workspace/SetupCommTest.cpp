#include "ScriptedPrompts.h"
#include "SimCommPort.h"
#include "TestSupport.h"
#include "comm/RSComm.h"
#include "workspace/frmSetupComm.h"
#include "platform/ModalDialogs.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {
const QString kRange = QStringLiteral("Only a Number Between 1 and 99 can be Entered");

// The dialog works on the shared link objects, as it does under the main window.
class SetupCommTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install.writeFile(QStringLiteral("support/RSPort.cfg"), "1,9600\r\n");
        QDir(install.path()).mkpath(QStringLiteral("rdx3"));
        QDir(install.path()).mkpath(QStringLiteral("QLX3")); // found without regard to case
        gRSComm = &comm;
        gCommObj = &port;
    }
    void TearDown() override
    {
        gRSComm = nullptr;
        gCommObj = nullptr;
    }
    void load()
    {
        dialog.Form_Load();
    }

    TestInstall install;
    ScriptedPrompts prompts;
    SimCommPort port;
    RSComm comm;
    frmSetupComm dialog;
};

TEST_F(SetupCommTest, SavingWritesTheSettingsAndThePortForEachExistingToolFolder)
{
    load();
    dialog.txtCommPort->setText(QStringLiteral("3"));
    dialog.optPortSpeed[1]->setChecked(true);
    dialog.cmdSave_Click();
    EXPECT_EQ(install.readFile(QStringLiteral("support/RSPort.cfg")), QByteArray("3, 19200 \r\n"));
    EXPECT_EQ(install.readFile(QStringLiteral("rdx3/CORVANE.SFG")), QByteArray("2\r\n"));
    EXPECT_EQ(install.readFile(QStringLiteral("QLX3/CORVANE.SFG")), QByteArray("2\r\n"));
    EXPECT_FALSE(QDir(install.path(QStringLiteral("rdx7"))).exists());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // Off-line when the dialog opened: the port stays closed.
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(hexBytes(port.board().received()), "");
    EXPECT_TRUE(prompts.shown.empty());

    // The link reads back what the dialog wrote.
    comm.OpenRSComm(port);
    EXPECT_EQ(port.commPort(), 3);
    EXPECT_EQ(port.settings(), "19200,n,8,1");
}

TEST_F(SetupCommTest, APortOutsideTheSpinnerIsRefusedAndNothingIsSaved)
{
    load();
    for (const char* text : {"0", "100", "x"}) {
        dialog.txtCommPort->setText(QString::fromLatin1(text));
        prompts.answer(Answer::Ok);
        dialog.cmdSave_Click();
    }
    ASSERT_EQ(prompts.shown.size(), 3u);
    for (const auto& shown : prompts.shown) {
        EXPECT_EQ(shown.text, kRange);
        EXPECT_EQ(shown.title, "Comm Port");
        EXPECT_EQ(shown.icon, Icon::Information);
    }
    EXPECT_EQ(install.readFile(QStringLiteral("support/RSPort.cfg")), QByteArray("1,9600\r\n"));
    EXPECT_TRUE(install.readFile(QStringLiteral("rdx3/CORVANE.SFG")).isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.txtCommPort->setText(QStringLiteral("99"));
    EXPECT_TRUE(dialog.txtCommPort_Validate());
    EXPECT_EQ(prompts.shown.size(), 3u);
}

TEST_F(SetupCommTest, SavingWhileOnLineReopensThePortWithTheNewSettings)
{
    comm.OpenRSComm(port);
    ASSERT_TRUE(comm.OnlineMode);
    port.board().clearLog();
    load();
    dialog.txtCommPort->setText(QStringLiteral("4"));
    dialog.cmdSave_Click();
    // The last FFh before closing, then the FFh of the reopened link.
    EXPECT_EQ(hexBytes(port.board().received()), "FF FF");
    EXPECT_EQ(port.openCount, 2);
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(comm.OnlineMode);
    EXPECT_EQ(port.commPort(), 4);
    EXPECT_EQ(port.settings(), "9600,n,8,1");
}

TEST_F(SetupCommTest, CurrentSettingsAreShownWithinTheSpinnersBounds)
{
    install.writeFile(QStringLiteral("support/RSPort.cfg"), "5, 19200 \r\n");
    load();
    EXPECT_EQ(dialog.txtCommPort->text(), "5");
    EXPECT_TRUE(dialog.optPortSpeed[1]->isChecked());

    install.writeFile(QStringLiteral("support/RSPort.cfg"), "150,4800\r\n");
    dialog.CurrentSettings();
    EXPECT_EQ(dialog.txtCommPort->text(), "99");
    EXPECT_TRUE(dialog.optPortSpeed[0]->isChecked());
    // The link bounds the port by the same spinner.
    comm.OpenRSComm(port);
    EXPECT_EQ(port.commPort(), 99);

    install.writeFile(QStringLiteral("support/RSPort.cfg"), "");
    dialog.CurrentSettings();
    EXPECT_EQ(dialog.txtCommPort->text(), "1");
    EXPECT_TRUE(dialog.optPortSpeed[0]->isChecked());
}

TEST_F(SetupCommTest, TheDialogShowsTheSettingsTheLinkOpensWith)
{
    struct Case {
        const char* line;
        int port;
        bool fast;
    };
    const Case cases[] = {
        {"3,\f19200\r\n", 3, true},
        {"\t4,\t19200\t\r\n", 4, true},
        {"5,\x01" "19200\r\n", 5, false},
        {"6,1920\r\n", 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        install.writeFile(QStringLiteral("support/RSPort.cfg"), c.line);
        dialog.CurrentSettings();
        EXPECT_EQ(dialog.txtCommPort->text(), QString::number(c.port));
        EXPECT_EQ(dialog.optPortSpeed[1]->isChecked(), c.fast);
        comm.OpenRSComm(port);
        EXPECT_EQ(port.commPort(), c.port);
        EXPECT_EQ(port.settings(), c.fast ? "19200,n,8,1" : "9600,n,8,1");
    }
}

TEST_F(SetupCommTest, TheMenuShowsTheDialogModallyWithTheCurrentSettingsLoaded)
{
    install.writeFile(QStringLiteral("support/RSPort.cfg"), "5, 19200 \r\n");
    QString shownPort;
    setModalRunner([&](QDialog& d) {
        auto* shown = dynamic_cast<frmSetupComm*>(&d);
        if (!shown) {
            ADD_FAILURE() << "another window was shown";
            return 0;
        }
        shownPort = shown->txtCommPort->text();
        shown->cmdCancel_Click();
        return d.result();
    });
    frmSetupComm::showModal(nullptr);
    setModalRunner(nullptr);
    EXPECT_EQ(shownPort, "5");
}

TEST_F(SetupCommTest, CancelSavesNothing)
{
    load();
    dialog.txtCommPort->setText(QStringLiteral("7"));
    dialog.cmdCancel_Click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(install.readFile(QStringLiteral("support/RSPort.cfg")), QByteArray("1,9600\r\n"));
}

void press(QWidget* w, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

TEST(UpDownEditTest, ArrowsStayWithinTheBoundsAndEscRestoresTheValueOnEntry)
{
    QWidget window;
    UpDownEdit field(&window);
    QLineEdit next(&window);
    field.setRange(1, 99);
    field.setText(QStringLiteral("98"));
    window.show();
    QApplication::setActiveWindow(&window);
    field.edit()->setFocus();
    QApplication::processEvents();
    field.stepBy(1);
    field.stepBy(1);
    EXPECT_EQ(field.text(), "99");
    field.setText(QStringLiteral("500"));
    EXPECT_FALSE(field.inRange());
    press(field.edit(), Qt::Key_Escape);
    EXPECT_EQ(field.text(), "98");
    field.setText(QStringLiteral("0"));
    field.stepBy(-1);
    EXPECT_EQ(field.text(), "1");
    EXPECT_EQ(field.rangeMessage(), kRange);
}
} // namespace
