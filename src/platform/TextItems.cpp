#include "platform/TextItems.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <memory>

ItemReader::ItemReader(QByteArray data) : m_data(std::move(data)) {}

std::optional<ItemReader> ItemReader::open(const QString& path)
{
    auto data = readWholeFile(path);
    if (!data)
        return std::nullopt;
    return ItemReader(*data);
}

bool ItemReader::atLineEnd() const
{
    return m_pos < m_data.size() && (m_data[m_pos] == '\r' || m_data[m_pos] == '\n');
}

void ItemReader::skipLineEnd()
{
    if (m_pos < m_data.size() && m_data[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_data.size() && m_data[m_pos] == '\n')
        ++m_pos;
}

QString ItemReader::readItem()
{
    while (m_pos < m_data.size() && (m_data[m_pos] == ' ' || m_data[m_pos] == '\t'))
        ++m_pos;
    QByteArray item;
    if (m_pos < m_data.size() && m_data[m_pos] == '"') {
        ++m_pos;
        while (m_pos < m_data.size() && m_data[m_pos] != '"' && !atLineEnd())
            item += m_data[m_pos++];
        if (m_pos < m_data.size() && m_data[m_pos] == '"')
            ++m_pos;
        // Whatever follows the closing quote up to the delimiter is dropped.
        while (m_pos < m_data.size() && m_data[m_pos] != ',' && !atLineEnd())
            ++m_pos;
    } else {
        while (m_pos < m_data.size() && m_data[m_pos] != ',' && !atLineEnd())
            item += m_data[m_pos++];
    }
    if (m_pos < m_data.size() && m_data[m_pos] == ',') {
        ++m_pos;
        // A comma that ends a line also ends the line.
        if (atLineEnd())
            skipLineEnd();
    } else {
        skipLineEnd();
    }
    return QString::fromLatin1(item);
}

QString ItemReader::readLine()
{
    QByteArray line;
    while (m_pos < m_data.size() && !atLineEnd())
        line += m_data[m_pos++];
    skipLineEnd();
    return QString::fromLatin1(line);
}

QString numberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QString s = QString::number(value, 'g', 15);
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}

ItemWriter& ItemWriter::print(const QString& text)
{
    m_data += text.toLatin1();
    return *this;
}

ItemWriter& ItemWriter::printNumber(qint64 value)
{
    return printNumber(static_cast<double>(value));
}

ItemWriter& ItemWriter::printNumber(double value)
{
    const QString text = numberText(value);
    // A negative number's sign takes the place of the leading blank.
    return print((value < 0 ? QString() : QStringLiteral(" ")) + text + QLatin1Char(' '));
}

ItemWriter& ItemWriter::newLine()
{
    m_data += "\r\n";
    return *this;
}

ItemWriter& ItemWriter::printLine(const QString& text) { return print(text).newLine(); }

ItemWriter& ItemWriter::writeItems(const QStringList& quotedStrings)
{
    QStringList quoted;
    for (const QString& s : quotedStrings)
        quoted << QLatin1Char('"') + s + QLatin1Char('"');
    return printLine(quoted.join(QLatin1Char(',')));
}

bool ItemWriter::save(const QString& path, QString* error) const { return writeWholeFile(path, m_data, error); }

std::optional<QByteArray> readWholeFile(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    return f.readAll();
}

bool writeWholeFile(const QString& path, const QByteArray& data, QString* error)
{
    return writeWholeFiles({{path, data}}, error);
}

bool writeWholeFiles(const std::vector<std::pair<QString, QByteArray>>& files, QString* error)
{
    auto failed = [error](const QSaveFile& f) {
        if (error)
            *error = f.errorString();
        return false;
    };
    // A file left uncommitted is dropped with its QSaveFile, and the old one stays.
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const auto& [path, data] : files) {
        auto f = std::make_unique<QSaveFile>(path);
        // The write is buffered: a full disk shows only when the buffer goes out. Commit does not
        // notice that on its own and would put the cut file in place of the old one, so flush first.
        if (!f->open(QIODevice::WriteOnly) || f->write(data) != data.size() || !f->flush())
            return failed(*f);
        written.push_back(std::move(f));
    }
    for (const auto& f : written)
        if (!f->commit())
            return failed(*f);
    return true;
}
