#include "WorkspaceFixture.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmViewResults.h"
#include "workspace/modUtility.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString numberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("Line %1 of the results\r\n").arg(i);
    return text;
}

using ResultsPrintTest = WorkspaceTest;

TEST_F(ResultsPrintTest, EveryLineKeepsTheMarginAndLongTextRunsOverSeveralPages)
{
    RecordingPrinting printer;
    printer.copiesChosen = 2;
    start();
    frmViewResults* viewer = main->viewResults();
    viewer->txtViewErrors->setPlainText(numberedLines(130));
    viewer->PrintResults();
    ASSERT_EQ(printer.jobs.size(), 1u);
    const PrintRecord& job = printer.jobs[0];
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(job.copies, 2);
    ASSERT_EQ(job.texts.size(), 130u);
    // A 10-inch page of 1/6-inch lines (10 pt) holds 60 lines.
    EXPECT_EQ(job.pages, 3);
    for (std::size_t i = 0; i < job.texts.size(); ++i) {
        const auto& t = job.texts[i];
        EXPECT_EQ(t.text, QStringLiteral("Line %1 of the results").arg(i + 1));
        EXPECT_DOUBLE_EQ(t.x, 0.5) << i;
        EXPECT_EQ(t.page, static_cast<int>(i / 60) + 1) << i;
        EXPECT_LE(t.y + 10 * 1.2 / 72, 10.0 + 1e-9) << i;
        EXPECT_EQ(t.font, viewer->txtViewErrors->font().family());
    }
    EXPECT_DOUBLE_EQ(job.texts[60].y, 0.0);
}

TEST_F(ResultsPrintTest, CancelInThePrinterDialogPrintsNothingAndSaysNothing)
{
    RecordingPrinting printer;
    printer.copiesChosen = std::nullopt;
    start();
    main->viewResults()->txtViewErrors->setPlainText("text");
    main->viewResults()->PrintResults();
    EXPECT_TRUE(printer.jobs.empty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ResultsPrintTest, ResultsPrintToAPdfOfSeveralPagesWhenNoPrinterIsThere)
{
    QTemporaryDir dir;
    const QString pdf = dir.path() + "/results.pdf";
    PdfPrinting printer(pdf);
    start();
    main->viewResults()->txtViewErrors->setPlainText(numberedLines(150));
    main->viewResults()->PrintResults();
    EXPECT_TRUE(prompts.shown.empty());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    const auto pages = QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]"));
    EXPECT_GE(pages, 2);
}

TEST_F(ResultsPrintTest, AnUnwritablePdfIsReportedByPrintResults)
{
    PdfPrinting printer("/nonexistent-folder/x/results.pdf");
    start();
    main->viewResults()->txtViewErrors->setPlainText("text");
    prompts.answer(Answer::Ok);
    main->viewResults()->PrintResults();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Print Results");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Error Number = 482"));
}

TEST(ResultsToPdf, AnUnwritablePdfIsReportedAsFailed)
{
    PrinterSurface surface(QString(), "/nonexistent-folder/x/results.pdf");
    surface.print("text");
    surface.endDoc();
    EXPECT_TRUE(surface.failed());
}
} // namespace
