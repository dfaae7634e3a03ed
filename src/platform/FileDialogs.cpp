#include "platform/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace {
QtFileDialogs g_qtDialogs;
FileDialogs* g_dialogs = nullptr;

QStringList filterList(const QString& oldFilter)
{
    const QStringList parts = oldFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // The caption usually names its pattern already; Qt reads the pattern from the brackets.
        const int bracket = caption.indexOf(QLatin1Char('('));
        if (bracket >= 0)
            caption = caption.left(bracket).trimmed();
        filters << caption + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters;
}

QFileDialog* makeDialog(const FileDialogRequest& r, const QString& start)
{
    auto* d = new QFileDialog(QApplication::activeWindow(), r.title, r.initialFolder.isEmpty() ? start : r.initialFolder);
    const QStringList filters = filterList(r.filter);
    d->setNameFilters(filters);
    if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
        d->selectNameFilter(filters[r.filterIndex - 1]);
    if (!r.fileName.isEmpty())
        d->selectFile(r.fileName);
    return d;
}

std::optional<QString> runDialog(QFileDialog* d)
{
    std::optional<QString> result;
    if (d->exec() == QDialog::Accepted && !d->selectedFiles().isEmpty())
        result = d->selectedFiles().first();
    delete d;
    return result;
}
} // namespace

QString withDefaultExtension(const QString& path, const QString& extension)
{
    if (extension.isEmpty() || path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + extension;
}

QString qtNameFilters(const QString& oldFilter) { return filterList(oldFilter).join(QStringLiteral(";;")); }

std::optional<QString> QtFileDialogs::openFile(const FileDialogRequest& request)
{
    QFileDialog* d = makeDialog(request, initialFolder());
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    d->setOption(QFileDialog::ReadOnly, false);
    return runDialog(d);
}

std::optional<QString> QtFileDialogs::saveFile(const FileDialogRequest& request)
{
    QFileDialog* d = makeDialog(request, initialFolder());
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setFileMode(QFileDialog::AnyFile);
    d->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    d->setDefaultSuffix(request.defaultExtension);
    return runDialog(d);
}

FileDialogs& fileDialogs() { return g_dialogs ? *g_dialogs : g_qtDialogs; }

void setFileDialogs(FileDialogs* dialogs)
{
    const QString folder = fileDialogs().initialFolder();
    g_dialogs = dialogs;
    fileDialogs().setInitialFolder(folder);
}
