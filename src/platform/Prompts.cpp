#include "platform/Prompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QtPrompts g_qtPrompts;
Prompts* g_prompts = nullptr;

QMessageBox::StandardButtons standardButtons(Buttons b)
{
    switch (b) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Icon i)
{
    switch (i) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
    }
}

// Old boxes broke lines on a carriage return alone; Qt wants line feeds.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
// Old boxes lined values up with tabs at the system font's tab stops. Qt's stops fall elsewhere,
// so a text with tabs is shown as a table: the pieces between tabs are its columns, however many
// tabs stand between them, and a line without a tab spans the row.
QString tabbedAsTable(const QString& text)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        auto cell = [](const QString& piece) {
            QString escaped = piece.toHtmlEscaped();
            escaped.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
            return escaped.isEmpty() ? QStringLiteral("&nbsp;") : escaped;
        };
        html += QStringLiteral("<tr>");
        if (!line.contains(QLatin1Char('\t')) || cells.size() < 2) {
            html += QStringLiteral("<td colspan=\"9\" style=\"white-space:pre\">") + cell(cells.value(0)) +
                    QStringLiteral("</td>");
        } else {
            for (const QString& piece : cells)
                html += QStringLiteral("<td style=\"white-space:pre; padding-right:12px\">") + cell(piece) +
                        QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

// A box with the old box's text shown as the old box showed it.
void setBoxText(QMessageBox& box, const QString& text)
{
    const QString shown = displayText(text);
    if (shown.contains(QLatin1Char('\t'))) {
        box.setTextFormat(Qt::RichText);
        box.setText(tabbedAsTable(shown));
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(shown);
    }
}
} // namespace

Answer QtPrompts::message(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(messageIcon(icon), title, QString(), standardButtons(buttons), QApplication::activeWindow());
    setBoxText(box, text);
    const int result = box.exec();
    // The close box of a box with a Cancel button answers Cancel, as the old boxes did.
    return answerOf(result);
}

Answer QtPrompts::messageWithDefault(const QString& text, Buttons buttons, Icon icon, const QString& title,
                                     Answer defaultButton)
{
    QMessageBox box(messageIcon(icon), title, QString(), standardButtons(buttons), QApplication::activeWindow());
    setBoxText(box, text);
    const QMessageBox::StandardButton button = defaultButton == Answer::Yes      ? QMessageBox::Yes
                                               : defaultButton == Answer::No     ? QMessageBox::No
                                               : defaultButton == Answer::Cancel ? QMessageBox::Cancel
                                               : defaultButton == Answer::Retry  ? QMessageBox::Retry
                                                                                 : QMessageBox::Ok;
    box.setDefaultButton(button);
    return answerOf(box.exec());
}

std::optional<QString> QtPrompts::input(const QString& prompt, const QString& title,
                                        const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, displayText(prompt),
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

Prompts& prompts() { return g_prompts ? *g_prompts : g_qtPrompts; }

void setPrompts(Prompts* p) { g_prompts = p; }

Answer msgBox(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    return prompts().message(text, buttons, icon, title);
}

QString errorText(int number, const QString& description)
{
    return QStringLiteral("Error Number = ") + QString::number(number) + CRLF + CRLF + description;
}
