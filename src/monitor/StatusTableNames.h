#pragma once
// The names a program gives its variables (nicknames from its NAM file, descriptions from its DOC
// file) and the image of board memory its LDT file gives for viewing values off-line. The status
// table shows both; nothing here needs a window.
#include <QHash>
#include <QString>
#include <QStringList>

// One name table: by kind (0 nickname, 1 description), number and bit index (0 the whole
// variable, b + 1 for bit b). Names outside the table's bounds are refused, never stored.
class NameTable {
public:
    NameTable(int lastNumber, int bitIndexes) : m_lastNumber(lastNumber), m_bitIndexes(bitIndexes) {}
    int lastNumber() const { return m_lastNumber; }
    bool contains(int kind, int number, int bitIndex) const;
    // "" when there is no name or the place lies outside the table.
    QString name(int kind, int number, int bitIndex = 0) const;
    // False (nothing stored) when the place lies outside the table.
    bool setName(int kind, int number, int bitIndex, const QString& text);
    void clear() { m_names.clear(); }
    bool isEmpty() const { return m_names.isEmpty(); }

private:
    int m_lastNumber;
    int m_bitIndexes;
    QHash<qint64, QString> m_names;
};

// The five tables: flags 0-1000 (no bit names); memory variables (B, W, D by number) 0-8195;
// X, Y and I points 0-151. The Y section of a file fills the I table too.
inline NameTable gFlagNames{1000, 1};
inline NameTable gMemNames{8195, 9};
inline NameTable gXNames{151, 9};
inline NameTable gYNames{151, 9};
inline NameTable gINames{151, 9};

void clearNameTables();

// Width of the number field of a NAM or DOC entry for the table's board code: 4 for none (0),
// 50 and 68, else 3.
int nameNumberWidth(int tableBoardCode);

// Reads a NAM (kind 0) or DOC (kind 1) file's bytes into the tables. Items end at a comma or a line
// end; an item of one character is a marker ("&" next section, "/" bit lines follow, "#" bit lines
// end); other items are entries: outside bit lines the number in the first `numberWidth`
// characters and the text after it, in bit lines a bit digit 0-7 and the text. Sections: flags,
// memory variables, X points, Y points; what follows a fourth "&" is passed over. The first bad
// entry ends the reading: the result is its error number and description (what was stored before
// it stays); an empty description means the file was read whole.
struct NameFileError {
    int number = 0;
    QString description;
};
NameFileError readNameFile(const QByteArray& data, int kind, int numberWidth);

// Fills the tables from a program's NAM and DOC files (LoadNicNames without its window): the tables
// are emptied first; a missing file is announced ("File Error"), a bad entry ends the loading with
// its box ("Load NicNames & Descriptions") and what was read until then stays. For each file: was
// it read (its view box is enabled), missing (its box goes off), or not reached after an error.
enum class NameFileState { NotReached, Missing, Read };
struct NameFilesLoaded {
    NameFileState nicNames = NameFileState::NotReached;
    NameFileState descriptions = NameFileState::NotReached;
};
NameFilesLoaded loadNameFiles(const QString& NamPath, const QString& DocPath, int TableBoardCode);

// The name of an address for the names column, by the view flags (gViewNicNames, else
// gViewDescriptions); "" when neither is set or there is none. "B12.3" is bit index 4 of 12, an
// F flag has no bit names, "1F4H" is memory number 500, an I point takes its Y point's name.
QString lookupName(const QString& Address);

// The off-line image of board memory from an LDT file: byte addresses 0 to 8192, each element the
// two hexadecimal digits of one byte, "" where the file gave none. The file's pairs are placed from
// byte 0 for board codes 50 and 68, from byte 70 for every other code.
struct OfflineImageLoad {
    enum Status { Loaded, Missing, Empty, Refused } status = Missing;
    QStringList image;        // Loaded: 8193 elements
    NameFileError error;      // Refused: why
};
inline constexpr int kOfflineImageLast = 8192;
OfflineImageLoad loadOfflineImage(const QString& ldtPath, int programBoardCode);
