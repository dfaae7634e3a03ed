#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// The old sequential text files: Latin-1 (byte-transparent for the system code page), CRLF line
// ends written, CR, LF or CRLF read.
//
// ItemReader reads items the way the old item input did: an item ends at a comma or a line end;
// leading blanks of an item are skipped; a quoted item loses its quotes and may hold commas; an
// empty line is one empty item. readLine() reads a whole line instead.
class ItemReader {
public:
    explicit ItemReader(QByteArray data);
    // nullopt when the file cannot be opened.
    static std::optional<ItemReader> open(const QString& path);

    bool atEnd() const { return m_pos >= m_data.size(); }
    QString readItem();
    QString readLine();

private:
    bool atLineEnd() const;
    void skipLineEnd();

    QByteArray m_data;
    qsizetype m_pos = 0;
};

// Builds a file's bytes and writes them whole through QSaveFile, so a failed write leaves the old
// file as it was.
class ItemWriter {
public:
    // Text as it stands (the old print without a line end).
    ItemWriter& print(const QString& text);
    // A number printed alone: a blank before it (the sign place) and after it, as in " 49 ".
    ItemWriter& printNumber(qint64 value);
    ItemWriter& printNumber(double value);
    // CRLF.
    ItemWriter& newLine();
    // Text and CRLF.
    ItemWriter& printLine(const QString& text);
    // Items written with quotes around strings and commas between, then CRLF (the old write).
    ItemWriter& writeItems(const QStringList& quotedStrings);

    const QByteArray& bytes() const { return m_data; }
    // Writes everything to `path`; false (with the reason in *error) when it could not.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    QByteArray m_data;
};

// Formats a number as the old print did, without the surrounding blanks ("49", "-3", "0.5").
QString numberText(double value);

// Reads a whole file; nullopt when it cannot be read.
std::optional<QByteArray> readWholeFile(const QString& path, QString* error = nullptr);
// Writes a whole file through QSaveFile.
bool writeWholeFile(const QString& path, const QByteArray& data, QString* error = nullptr);
// Writes files that belong together: each is written in full beside its old one first, and the old
// ones are replaced only when every new one was written; a failure while writing leaves every old
// file (the replacing itself is a rename per file, which is not undone if a later one fails).
bool writeWholeFiles(const std::vector<std::pair<QString, QByteArray>>& files, QString* error = nullptr);
