#include "TestSupport.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/FileListBoxes.h"
#include "platform/PrintSurface.h"
#include "platform/ShortNames.h"
#include "platform/ToolLauncher.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
TEST(ShortNames, LongBaseGetsSixCapitalsAndTheLowestNumberFreeForEveryExtension)
{
    QTemporaryDir dir;
    EXPECT_EQ(shortBaseFor(dir.path(), "Pump", {"CVP"}), "Pump");
    EXPECT_EQ(shortBaseFor(dir.path(), "my pump.v2 line", {"CVP", "LMN"}), "MYPUMP~1");
    QFile(dir.path() + "/mypump~1.lmn").open(QIODevice::WriteOnly);
    QFile(dir.path() + "/MYPUMP~2.HEX").open(QIODevice::WriteOnly);
    EXPECT_EQ(shortBaseFor(dir.path(), "my pump.v2 line", {"CVP", "LMN"}), "MYPUMP~2");
    EXPECT_EQ(shortBaseFor(dir.path(), "my pump.v2 line", {"CVP", "LMN", "HEX"}), "MYPUMP~3");
    EXPECT_EQ(shortPath("/a/b c/D.CVP"), "/a/b c/D.CVP");
}

TEST(Drives, JoinAddsOneSeparatorOnlyWhereTheFolderHasNone)
{
    EXPECT_EQ(joinPath("/", "PUMP.CVP"), "/PUMP.CVP");
    EXPECT_EQ(joinPath("/media/usb", "PUMP.CVP"), "/media/usb/PUMP.CVP");
    EXPECT_FALSE(driveInfo().drives().isEmpty());
    EXPECT_TRUE(driveInfo().isReady(driveInfo().driveOf(QDir::tempPath())));
    EXPECT_FALSE(driveInfo().isReady("/no/such/volume"));
}

TEST(FolderList, ListsWhatIsAFolderToTheUserAndNoLinkToADeviceFileOrNothing)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("real");
    QFile(dir.path() + "/plain.txt").open(QIODevice::WriteOnly);
    const struct {
        const char* name;
        QString target;  // empty: a real folder
        bool listed;
    } cases[] = {
        {"real", {}, true},
        {"folderlink", dir.path() + "/real", true},
        {"COM1", "/dev/null", false},
        {"filelink", dir.path() + "/plain.txt", false},
        {"dangling", dir.path() + "/gone", false},
    };
    for (const auto& c : cases)
        if (!c.target.isEmpty())
            ASSERT_TRUE(QFile::link(c.target, dir.path() + "/" + c.name)) << c.name;
    DirListBox list;
    list.setPath(dir.path());
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.item(i)->text().trimmed();
    for (const auto& c : cases)
        EXPECT_EQ(shown.contains(c.name), c.listed) << c.name;
}

TEST(PrintSurfacePositions, PrintMovesDownALineAndTextWithoutLineEndMovesRight)
{
    RecordingSurface s;
    s.setScaleMode(PrintSurface::Scale::Inches);
    s.setFont("Courier", 10);
    s.setCurrentX(1.0);
    s.print("ab", false);
    EXPECT_DOUBLE_EQ(s.currentX(), 1.0 + 2 * 10 * 0.6 / 72);
    s.print("cd");
    EXPECT_DOUBLE_EQ(s.currentX(), 0.0);
    EXPECT_DOUBLE_EQ(s.currentY(), 10 * 1.2 / 72);
    s.setScaleMode(PrintSurface::Scale::Twips);
    EXPECT_DOUBLE_EQ(s.currentY(), 1440 * 10 * 1.2 / 72);
    EXPECT_DOUBLE_EQ(s.scaleHeight(), 14400);
    s.newPage();
    s.print("ef");
    ASSERT_EQ(s.texts.size(), 3u);
    EXPECT_EQ(s.texts[2].page, 2);
    EXPECT_DOUBLE_EQ(s.texts[2].y, 0.0);
    s.endDoc();
    s.endDoc();
    EXPECT_TRUE(s.ended);
    EXPECT_EQ(s.pagesStarted, 2);
}

TEST(Printing, WithoutAPrinterTheDialogsOfferAndNameTheDatedPdfThatTheReportIsWrittenTo)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QRegularExpression dated("^" + QRegularExpression::escape(documents) +
                                   "/Corvanex-[0-9]{8}-[0-9]{6}-[0-9]{3}\\.pdf$");
    QtPrinting qt;
    const QString before = qt.deviceName();
    QString offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        offered = dialog->printer()->outputFileName();
        dialog->accept();
    });
    const auto copies = qt.setupDialog();
    const QString afterSetup = qt.deviceName();
    auto surface = qt.openDocument();
    auto later = qt.openDocument(); // a later report, printed without the dialog
    qputenv("HOME", oldHome);
    ASSERT_TRUE(copies.has_value());
    EXPECT_TRUE(dated.match(offered).hasMatch()) << offered.toStdString();
    EXPECT_EQ(before, "PDF file " + documents + "/Corvanex-<date>-<time>.pdf (no printer is installed)");
    EXPECT_EQ(afterSetup, "PDF file " + offered);
    const auto* printer = dynamic_cast<PrinterSurface*>(surface.get());
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->pdfFile(), offered);
    const auto* laterPrinter = dynamic_cast<PrinterSurface*>(later.get());
    ASSERT_NE(laterPrinter, nullptr);
    EXPECT_TRUE(dated.match(laterPrinter->pdfFile()).hasMatch()) << laterPrinter->pdfFile().toStdString();
    EXPECT_NE(laterPrinter->pdfFile(), offered);
}

TEST(ToolLauncher, StartsTheProgramDetachedWithItsArgumentsInItsFolder)
{
    QTemporaryDir dir;
    const QString tool = dir.path() + "/tool.exe";
    QFile f(tool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$PWD/out.txt\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    QDir(dir.path()).mkdir("work");
    QString error;
    ASSERT_TRUE(toolLauncher().start({tool, {"a b", "c;d"}, dir.path() + "/work", WindowStyle::NormalFocus}, &error))
        << error.toStdString();
    QFile out(dir.path() + "/work/out.txt");
    QElapsedTimer t;
    t.start();
    while (!out.exists() && t.elapsed() < 5000)
        QThread::msleep(10);
    QThread::msleep(50);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), (dir.path() + "/work\na b\nc;d\n").toLatin1());
    EXPECT_FALSE(toolLauncher().start({dir.path() + "/none.exe", {}, dir.path(), WindowStyle::NormalFocus}, &error));
    EXPECT_TRUE(error.contains("none.exe"));
    QFile plain(dir.path() + "/plain.exe");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    plain.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(toolLauncher().start({plain.fileName(), {}, dir.path(), WindowStyle::NormalFocus}, &error));
    EXPECT_TRUE(error.contains("not executable"));
}

TEST(Waits, AWaitLastsItsWholeLengthWhileTimersGoOnFiring)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const qint64 start = monotonicMs();
    waitLettingEventsThrough(120);
    EXPECT_GE(monotonicMs() - start, 120);
    EXPECT_GE(ticks, 3) << "the window must go on answering during the wait";
}
} // namespace
