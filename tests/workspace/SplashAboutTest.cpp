#include "ScriptedPrompts.h"
#include "TestSupport.h"
#include "platform/ModalDialogs.h"
#include "workspace/frmAbout.h"
#include "workspace/frmSplash.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
void click(QWidget* w)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

TEST(SplashTest, AnyKeyOrClickClosesIt)
{
    frmSplash byKey;
    byKey.Form_Load();
    byKey.show();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&byKey, &key);
    EXPECT_FALSE(byKey.isVisible());
    EXPECT_EQ(byKey.result(), QDialog::Accepted);

    for (const char* name : {"lblWarning", "imgLogo", "lblClickToContinue"}) {
        frmSplash byClick;
        byClick.Form_Load();
        byClick.show();
        QWidget* target = byClick.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(target, nullptr) << name;
        click(target);
        EXPECT_FALSE(byClick.isVisible()) << name;
    }
    frmSplash byFrame;
    byFrame.Form_Load();
    byFrame.show();
    click(byFrame.fraSplash);
    EXPECT_FALSE(byFrame.isVisible());
}

TEST(SplashTest, ShowsTheVersionOfTheBuild)
{
    frmSplash splash;
    splash.Form_Load();
    EXPECT_EQ(splash.lblVersion->text(), QStringLiteral("Version ") + QStringLiteral(CORVANEX_VERSION));
    EXPECT_EQ(splash.lblProductName->text(), "Corvanex");
    EXPECT_EQ(splash.lblClickToContinue->text(), "Click to Continue...");
}

TEST(SplashTest, ShownModallyOnceLoaded)
{
    QString shownVersion;
    bool closed = false;
    setModalRunner([&](QDialog& d) {
        auto* shown = dynamic_cast<frmSplash*>(&d);
        if (!shown) {
            ADD_FAILURE() << "another window was shown";
            return 0;
        }
        shownVersion = shown->lblVersion->text();
        shown->Form_Click();
        closed = d.result() == QDialog::Accepted;
        return d.result();
    });
    frmSplash::showModal(nullptr);
    setModalRunner(nullptr);
    EXPECT_EQ(shownVersion, QStringLiteral("Version ") + QStringLiteral(CORVANEX_VERSION));
    EXPECT_TRUE(closed);
}

TEST(AboutTest, ShowsVersionAndTheExecutablesRevisionDate)
{
    TestInstall install;
    install.writeFile(QStringLiteral("corvanex"), "program");
    QFile exe(install.path(QStringLiteral("corvanex")));
    ASSERT_TRUE(exe.open(QIODevice::ReadWrite));
    const QDateTime when(QDate(2024, 3, 9), QTime(23, 30));
    ASSERT_TRUE(exe.setFileTime(when, QFileDevice::FileModificationTime));
    exe.close();

    frmAbout about;
    about.Form_Load();
    EXPECT_EQ(about.windowTitle(), "About Corvanex");
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version ") + QStringLiteral(CORVANEX_VERSION));
    EXPECT_EQ(about.lblRevisionDate->text(),
              QStringLiteral("Revised: ") + QLocale().toString(QDate(2024, 3, 9), QLocale::ShortFormat));
    EXPECT_FALSE(about.isModal());
}

TEST(AboutTest, SystemInfoSaysItIsUnavailable)
{
    ScriptedPrompts prompts;
    prompts.answer(Answer::Ok);
    frmAbout about;
    about.Form_Load();
    about.cmdSysInfo->click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::Ok);
}
} // namespace
