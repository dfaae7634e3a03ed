#include "workspace/frmViewResults.h"

#include "platform/Clock.h"
#include "platform/FileLookup.h"
#include "platform/PrintSurface.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {
void reportError(const QString& title, int number, const QString& description)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::None, title);
}
} // namespace

frmViewResults::frmViewResults(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("View Results"));
    txtViewErrors = new QPlainTextEdit(this);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(10);
    txtViewErrors->setFont(courier);
    txtViewErrors->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtViewErrors->installEventFilter(this);
    txtViewErrors->viewport()->installEventFilter(this);
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdClear = new QPushButton(QStringLiteral("&Clear"), this);
    connect(cmdOk, &QPushButton::clicked, this, &frmViewResults::cmdOk_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmViewResults::cmdClear_Click);
    resize(640, 480);
}

// ---------------------------------------------------------------- showing results

void frmViewResults::DisplayResults(int Mode)
{
    txtViewErrors->clear();
    m_lines.clear();
    QString file;
    if (Mode == 0) {
        file = findCaseInsensitive(ChangeFileExt(gProgramFile, QStringLiteral("err")));
        cmdClear->setEnabled(false);
    } else if (Mode == 1) {
        file = findCaseInsensitive(ChangeFileExt(gProgramFile, QStringLiteral("gbl")));
        cmdClear->setEnabled(true);
    } else {
        cmdClear->setEnabled(true);
    }
    QApplication::processEvents();

    QString body;
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        // A tool may have created the file without having written it yet.
        if (QFileInfo(file).size() == 0) {
            const QPointer<frmViewResults> self(this);
            waitLettingEventsThrough(timeouts().resultsMs);
            if (!self)
                return;
        }
        QString error;
        const auto data = readWholeFile(file, &error);
        if (!data) {
            reportError(QStringLiteral("DisplayResults"), 75, error);
            return;
        }
        ItemReader reader(*data);
        while (!reader.atEnd())
            m_lines << reader.readLine();
        if (m_lines.size() < 2) {
            reportError(QStringLiteral("DisplayResults"), 62, QStringLiteral("Input past end of file: ") + file);
            return;
        }
        for (qsizetype i = 2; i < m_lines.size(); ++i)
            body += m_lines[i] + CRLF;
        body += CRLF;
    }
    if (Mode != 2 && m_lines.size() < 2)
        return;

    if (Mode == 0) {
        txtViewErrors->setPlainText(m_lines[0] + CRLF + m_lines[1] + CRLF + body);
    } else if (Mode == 1) {
        const QString tag = QStringLiteral("-[") + fileBaseName(file) + QStringLiteral("]-") + CRLF;
        const QString shown = tag + m_lines[0] + CRLF + m_lines[1] + CRLF + body + gSearchResults;
        txtViewErrors->setPlainText(shown);
        gSearchResults = tag + body + gSearchResults;
        gResultsText = shown;
    } else {
        txtViewErrors->setPlainText(gResultsText);
    }
}

void frmViewResults::ShowMe()
{
    QWidget* frame = parentWidget();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        sub->show();
        if (sub->mdiArea())
            sub->mdiArea()->setActiveSubWindow(sub);
    } else {
        show();
    }
    Form_Resize();
    Form_Activate();
}

// ---------------------------------------------------------------- printing

void frmViewResults::printText(PrintSurface& surface, const QString& text)
{
    constexpr double margin = 0.5;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // The text box's text ends in a line break; it makes no empty last line on paper.
    if (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    const QStringList lines = t.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (surface.currentY() > 0 && surface.currentY() + surface.textHeight(line) > surface.scaleHeight())
            surface.newPage();
        if (surface.currentX() < margin)
            surface.setCurrentX(margin);
        surface.print(line);
    }
}

void frmViewResults::PrintResults()
{
    const std::optional<int> copies = printing().setupDialog();
    QApplication::processEvents();
    if (!copies)
        return;
    std::unique_ptr<PrintSurface> surface = printing().openDocument();
    surface->setScaleMode(PrintSurface::Scale::Inches);
    surface->setCopies(*copies);
    const QFont f = txtViewErrors->font();
    surface->setFont(f.family(), f.pointSizeF(), false, false, false);
    printText(*surface, txtViewErrors->toPlainText());
    surface->endDoc();
    if (surface->failed())
        reportError(QStringLiteral("Print Results"), 482, QStringLiteral("Printer error: ") + surface->deviceName());
}

// ---------------------------------------------------------------- events

void frmViewResults::Form_Activate()
{
    if (gMDIMain)
        gMDIMain->showPrintResultsEntry(true);
    gActiveChild = 2;
    txtViewErrors->setFocus();
}

void frmViewResults::Form_Deactivate()
{
    if (gMDIMain)
        gMDIMain->showPrintResultsEntry(false);
}

void frmViewResults::Form_Unload()
{
    Form_Deactivate();
    txtViewErrors->clear();
    m_lines.clear();
    m_keptSelection.clear();
}

void frmViewResults::cmdOk_Click()
{
    // Hidden, the viewer is no longer the active child: its menu entry goes, and the view that
    // takes over becomes the active child, so Print does not print a hidden viewer's text.
    Form_Deactivate();
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame) {
        hide();
        return;
    }
    QMdiArea* area = frame->mdiArea();
    frame->hide();
    if (area && (!area->activeSubWindow() || area->activeSubWindow() == frame))
        area->activateNextSubWindow();
}

void frmViewResults::cmdClear_Click()
{
    if (msgBox(QStringLiteral("Do you wish to clear the contents of this page?"), Buttons::YesNo, Icon::Question,
               QStringLiteral("Clear Results")) != Answer::Yes)
        return;
    txtViewErrors->clear();
    gSearchResults.clear();
    gResultsText.clear();
}

void frmViewResults::Form_Resize()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sub && !sub->isVisible())
        return;
    if (sub && sub->mdiArea() && !(sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QWidget* client = sub->mdiArea()->viewport();
        int left = 0;
        if (gMDIMain && gMDIMain->programBrowser()) {
            const QWidget* browser = gMDIMain->programBrowser()->parentWidget();
            left = browser->x() + browser->width();
        }
        const QRect place(left, 0, qMax(client->width() - left, 200), client->height());
        if (sub->geometry() != place)
            sub->setGeometry(place);
    }
    const int w = width();
    const int h = height();
    txtViewErrors->setGeometry(twipsToPixels(240), twipsToPixels(240), w - twipsToPixels(580), h - twipsToPixels(1600));
    const int okTop = h - twipsToPixels(1020);
    const int okLeft = w - twipsToPixels(2000);
    cmdOk->setGeometry(okLeft, okTop, twipsToPixels(1215), twipsToPixels(375));
    cmdClear->setGeometry(okLeft - twipsToPixels(1500), okTop, twipsToPixels(1215), twipsToPixels(375));
}

void frmViewResults::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_inResize)
        return;
    m_inResize = true;
    Form_Resize();
    m_inResize = false;
}

bool frmViewResults::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != txtViewErrors && watched != txtViewErrors->viewport())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) && !m_keptSelection.isEmpty()) {
            QClipboard* clipboard = QApplication::clipboard();
            clipboard->clear();
            clipboard->setText(m_keptSelection);
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease ||
               (event->type() == QEvent::MouseButtonRelease &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)) {
        const QString selected = txtViewErrors->textCursor().selectedText();
        if (!selected.isEmpty())
            m_keptSelection = QString(selected).replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    }
    return QWidget::eventFilter(watched, event);
}
