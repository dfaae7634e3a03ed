#pragma once
#include <QByteArray>
#include <QStringList>

// A status table file: the table's board type code as a number alone on line 1 (" 49 ", " 0 "
// for no board), then one line per data row of the grid, the new-entry row included, holding the
// row's address text (an empty line for an empty row). No header, count or terminator: the
// number of address items gives the number of rows.
struct StatusTableFileData {
    int boardCode = 0;
    QStringList addresses; // in file order, one per item after line 1
    bool cut = false;      // reading stopped at the limit below; anything after it was not read
};

// A table holds at most this many address items; reading stops after the last of them.
inline constexpr int kStatusTableAddressLimit = 32768;

// Reads the file's bytes as items: line 1's numeric value, then every item (an item ends at a
// comma or a line end; an empty line is one empty item).
StatusTableFileData readStatusTableFile(const QByteArray& bytes);
// The file's bytes for a table (CRLF line ends).
QByteArray statusTableFileBytes(int boardCode, const QStringList& addresses);
