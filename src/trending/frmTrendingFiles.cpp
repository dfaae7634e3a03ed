#include "trending/frmTrending.h"

#include "platform/FileDialogs.h"
#include "platform/GridModel.h"
#include "platform/ModalDialogs.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "trending/GraphPicture.h"
#include "trending/TrendFile.h"
#include "trending/frmTrendingPrint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>

namespace {

const QString kTrendExtension = QStringLiteral("tdt");

// Open and save share their settings but for the existence check and the overwrite prompt.
FileDialogRequest trendDialog(const QString& fileName, bool open)
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Trend Data(*.tdt)|*.tdt|");
    request.filterIndex = 1;
    request.fileName = fileName;
    request.fileMustExist = open;
    request.overwritePrompt = !open;
    request.defaultExtension = open ? QString() : kTrendExtension;
    return request;
}

void fileError(const QString& title, int number, const QString& description)
{
    msgBox(errorText(number, description), Buttons::Ok, Icon::Information, title);
}

} // namespace

void frmTrending::SaveTendData()
{
    std::optional<QString> path = fileDialogs().saveFile(trendDialog(m_trendFileName, false));
    if (!path)
        return;
    // A name typed without an extension is saved as a trend file, which Open then lists.
    path = withDefaultExtension(*path, kTrendExtension);
    QCoreApplication::processEvents();
    m_trendFileName = *path;

    std::vector<TrendRow> rows;
    rows.reserve(static_cast<std::size_t>(grid->rows()));
    for (int r = 0; r < grid->rows(); ++r)
        rows.emplace_back(grid->textMatrix(r, 1), grid->textMatrix(r, 2));
    QString error;
    // Written whole: a save that fails leaves the file that was there.
    if (!writeWholeFile(*path, trendFileBytes(cboAddress->currentText(), cboTargetBoard->currentIndex(), rows), &error))
        fileError(QStringLiteral("Trend Sample Save"), 75, QStringLiteral("Path/File access error") + CRLF + error);
}

void frmTrending::OpenTrendData()
{
    const std::optional<QString> path = fileDialogs().openFile(trendDialog(m_trendFileName, true));
    if (!path)
        return;
    QCoreApplication::processEvents();
    m_trendFileName = *path;
    if (chkAcquire->isChecked())
        chkAcquire->setChecked(false);

    QString error;
    const std::optional<QByteArray> data = readWholeFile(*path, &error);
    if (!data) {
        fileError(QStringLiteral("Trend Sample Open"), 75, QStringLiteral("Path/File access error") + CRLF + error);
        return;
    }
    // The whole file is read before anything on screen changes: a bad file leaves the grid, the
    // counter, the address and the board as they were.
    const TrendFileContent file = parseTrendFile(*data, cboTargetBoard->count());
    if (file.status == TrendFileContent::Status::Empty)
        return;
    if (file.status == TrendFileContent::Status::Bad) {
        fileError(QStringLiteral("Trend Sample Open"), file.errorNumber, file.errorDescription);
        return;
    }

    cmdClear_Click();
    const int needed = static_cast<int>(file.rows.size()) + 1;
    if (needed > grid->rows()) {
        const int first = grid->rows();
        grid->setRows(needed);
        for (int r = first; r < needed; ++r)
            grid->setTextMatrix(r, 0, QStringLiteral(" "));
    }
    for (std::size_t i = 0; i < file.rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid->setTextMatrix(r, 1, file.rows[i].first);
        grid->setTextMatrix(r, 2, file.rows[i].second);
    }
    if (!file.rows.empty()) {
        m_sampleCounter = static_cast<long>(file.rows.size());
        showCounter();
    }
    QCoreApplication::processEvents();

    cboTargetBoard->setCurrentIndex(file.boardRow);
    cboTargetBoard_Click();
    cboAddress->setEditText(file.address);
    cboAddress_KeyPress(13);
}

void frmTrending::PrintTrendData()
{
    frmTrendingPrint dialog(this);
    dialog.InitialilizePrint(this, picGraph, m_sampleCount);
    dialog.Form_Load();
    showModal(dialog);
}
