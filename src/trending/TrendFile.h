#pragma once
#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// The trend data file (.tdt): text, CR LF line ends, no header or version.
//   line 1   the address as the user typed it
//   line 2   the board list's row index, printed as a number alone (" 3 ")
//   line 3   the grid's headings of columns 1 and 2, "(sec), Data:"
//   line 4.. one line per grid row, newest first: elapsed seconds ", " value (", " for an empty row)
// Rows are read back as comma-separated items, so the header and data lines need not keep the
// blank after the comma.

// One grid row as the file holds it: elapsed seconds and value text.
using TrendRow = std::pair<QString, QString>;

// The file's bytes; `rows` starts with the header row (row 0 of the grid).
QByteArray trendFileBytes(const QString& address, int boardRow, const std::vector<TrendRow>& rows);

struct TrendFileContent {
    enum class Status { Ok, Empty, Bad };
    Status status = Status::Ok;
    // Why a bad file was refused, in the old run-time error's number and text.
    int errorNumber = 0;
    QString errorDescription;

    QString address;
    int boardRow = 0;
    std::vector<TrendRow> rows; // data rows only, newest first
};

// Reads a whole file's bytes. Nothing is taken from a file that is cut short or whose board index
// is not a row of the board list: such a file is Bad as a whole.
TrendFileContent parseTrendFile(const QByteArray& data, int boardRows);
