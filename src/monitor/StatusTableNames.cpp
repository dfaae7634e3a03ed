#include "monitor/StatusTableNames.h"

#include "comm/RSComm.h"
#include "platform/FileLookup.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/modUtility.h"

#include <QFileInfo>

bool NameTable::contains(int kind, int number, int bitIndex) const
{
    return kind >= 0 && kind <= 1 && number >= 0 && number <= m_lastNumber && bitIndex >= 0 && bitIndex < m_bitIndexes;
}

namespace {
qint64 keyOf(int kind, int number, int bitIndex) { return (static_cast<qint64>(number) * 16 + bitIndex) * 2 + kind; }
} // namespace

QString NameTable::name(int kind, int number, int bitIndex) const
{
    return contains(kind, number, bitIndex) ? m_names.value(keyOf(kind, number, bitIndex)) : QString();
}

bool NameTable::setName(int kind, int number, int bitIndex, const QString& text)
{
    if (!contains(kind, number, bitIndex))
        return false;
    m_names.insert(keyOf(kind, number, bitIndex), text);
    return true;
}

void clearNameTables()
{
    for (NameTable* t : {&gFlagNames, &gMemNames, &gXNames, &gYNames, &gINames})
        t->clear();
}

int nameNumberWidth(int tableBoardCode)
{
    return tableBoardCode == 0 || tableBoardCode == 50 || tableBoardCode == 68 ? 4 : 3;
}

namespace {
// The numeric value of a number field, read as the old Val did: blanks anywhere are passed over,
// an optional sign, then the digits up to the first other character (none gives 0). nullopt when
// the value is too large for any table.
std::optional<int> fieldValue(const QString& field)
{
    QString s = field;
    s.remove(QLatin1Char(' '));
    bool negative = false;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        negative = s[i++] == QLatin1Char('-');
    qint64 value = 0;
    for (; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (s[i].unicode() - '0');
        if (value > 1000000)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}
} // namespace

NameFileError readNameFile(const QByteArray& data, int kind, int numberWidth)
{
    static const char* const sectionNames[] = {"flags", "memory variables", "X points", "Y points"};
    ItemReader reader(data);
    int section = 0;
    bool bitLines = false;
    int number = 0;
    for (int item = 1; !reader.atEnd(); ++item) {
        const QString entry = reader.readItem();
        if (entry.size() == 1) {
            if (entry == QLatin1String("&")) {
                ++section;
                bitLines = false;
            } else if (entry == QLatin1String("/")) {
                bitLines = true;
            } else if (entry == QLatin1String("#")) {
                bitLines = false;
            }
            continue;
        }
        if (section > 3)
            continue;
        auto fail = [&](int code, const QString& why) {
            return NameFileError{code, QStringLiteral("Item ") + QString::number(item) + QStringLiteral(": ") + why};
        };
        int bitIndex = 0;
        QString text;
        if (bitLines) {
            const QChar digit = entry.isEmpty() ? QChar() : entry.at(0);
            if (digit < QLatin1Char('0') || digit > QLatin1Char('7'))
                return fail(13, QStringLiteral("a bit line must begin with a bit digit from 0 to 7."));
            // Flags are bits themselves: a flag has no bit names.
            if (section == 0)
                continue;
            bitIndex = digit.unicode() - '0' + 1;
            text = entry.mid(1);
        } else {
            if (entry.size() < numberWidth)
                return fail(13, QStringLiteral("the entry is shorter than its ") + QString::number(numberWidth) +
                                    QStringLiteral("-character number."));
            const auto value = fieldValue(entry.left(numberWidth));
            if (!value)
                return fail(9, QStringLiteral("the number is beyond the table of ") +
                                   QLatin1String(sectionNames[section]) + QStringLiteral("."));
            number = *value;
            text = entry.mid(numberWidth);
        }
        NameTable& table = section == 0 ? gFlagNames : section == 1 ? gMemNames : section == 2 ? gXNames : gYNames;
        if (!table.setName(kind, number, bitIndex, text))
            return fail(9, QStringLiteral("the number ") + QString::number(number) +
                               QStringLiteral(" is beyond the table of ") + QLatin1String(sectionNames[section]) +
                               QStringLiteral("."));
        if (section == 3)
            gINames.setName(kind, number, bitIndex, text);
    }
    return {};
}

NameFilesLoaded loadNameFiles(const QString& NamPath, const QString& DocPath, int TableBoardCode)
{
    clearNameTables();
    const int width = nameNumberWidth(TableBoardCode);
    NameFilesLoaded out;
    const struct {
        const QString& path;
        NameFileState& state;
        const char* missing;
    } files[] = {{NamPath, out.nicNames, "Unable to Open NicName File,"},
                 {DocPath, out.descriptions, "Unable to Open Descriptions File,"}};
    for (int kind = 0; kind < 2; ++kind) {
        const QString path = findCaseInsensitive(files[kind].path);
        if (files[kind].path.isEmpty() || !QFileInfo(path).isFile()) {
            files[kind].state = NameFileState::Missing;
            msgBox(QLatin1String(files[kind].missing) + CRLF + QStringLiteral("File Does Not Exist."), Buttons::Ok,
                   Icon::Information, QStringLiteral("File Error"));
            continue;
        }
        files[kind].state = NameFileState::Read;
        QString readError;
        const auto data = readWholeFile(path, &readError);
        const NameFileError error = data ? readNameFile(*data, kind, width) : NameFileError{75, readError};
        if (!error.description.isEmpty()) {
            msgBox(errorText(error.number, QFileInfo(path).fileName() + QStringLiteral(", ") + error.description),
                   Buttons::Ok, Icon::Critical, QStringLiteral("Load NicNames & Descriptions"));
            break;
        }
    }
    return out;
}

QString lookupName(const QString& Address)
{
    // Blanks around an address are no part of it: "  " is as short as "".
    const QString address = Address.trimmed().toUpper();
    if (address.size() < 2)
        return {};
    int kind = 0;
    if (gViewNicNames)
        kind = 0;
    else if (gViewDescriptions)
        kind = 1;
    else
        return {};
    QChar type;
    QString rest;
    if (address.endsWith(QLatin1Char('H'))) {
        bool ok = false;
        const int value = address.left(address.size() - 1).toInt(&ok, 16);
        if (!ok)
            return {};
        type = QLatin1Char('B');
        rest = QString::number(value);
    } else {
        type = address.at(0);
        rest = address.mid(1);
    }
    int bitIndex = 0;
    if (rest.contains(QLatin1Char('.'))) {
        const QChar bit = rest.back();
        if (!bit.isDigit() || rest.size() < 3 || rest.at(rest.size() - 2) != QLatin1Char('.'))
            return {};
        bitIndex = bit.unicode() - '0' + 1;
        rest.chop(2);
    }
    bool ok = false;
    const int number = rest.toInt(&ok);
    if (!ok || rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+')))
        return {};
    switch (type.unicode()) {
    case 'F':
        return gFlagNames.name(kind, number);
    case 'X':
        return gXNames.name(kind, number, bitIndex);
    case 'Y':
        return gYNames.name(kind, number, bitIndex);
    case 'I':
        return gINames.name(kind, number, bitIndex);
    default:
        return gMemNames.name(kind, number, bitIndex);
    }
}

OfflineImageLoad loadOfflineImage(const QString& ldtPath, int programBoardCode)
{
    OfflineImageLoad out;
    const QString path = findCaseInsensitive(ldtPath);
    if (ldtPath.isEmpty() || !QFileInfo(path).isFile()) {
        out.status = OfflineImageLoad::Missing;
        return out;
    }
    QString readError;
    const auto data = readWholeFile(path, &readError);
    if (!data) {
        out.status = OfflineImageLoad::Refused;
        out.error = {75, readError};
        return out;
    }
    ItemReader reader(*data);
    QString line = reader.atEnd() ? QString() : reader.readItem().trimmed();
    if (line.isEmpty()) {
        out.status = OfflineImageLoad::Empty;
        return out;
    }
    const QString hex = boardTables().MarkHex2HEX(line);
    const int start = programBoardCode == 50 || programBoardCode == 68 ? 0 : 70;
    const qsizetype pairs = (hex.size() + 1) / 2;
    auto refuse = [&](int number, const QString& why) {
        out.status = OfflineImageLoad::Refused;
        out.error = {number, why};
        return out;
    };
    if (start + pairs - 1 > kOfflineImageLast)
        return refuse(9, QStringLiteral("The data file holds ") + QString::number(pairs) +
                             QStringLiteral(" bytes from byte ") + QString::number(start) +
                             QStringLiteral("; the image ends at byte ") + QString::number(kOfflineImageLast) +
                             QStringLiteral("."));
    if (hex.size() % 2 != 0)
        return refuse(13, QStringLiteral("The data file holds an odd number of digits."));
    static const QString digits = QStringLiteral("0123456789ABCDEFabcdef");
    for (const QChar c : hex)
        if (!digits.contains(c))
            return refuse(13, QStringLiteral("The data file holds a character that is no hexadecimal digit."));
    out.image = QStringList(kOfflineImageLast + 1, QString());
    for (qsizetype p = 0; p < pairs; ++p)
        out.image[start + p] = hex.mid(p * 2, 2).toUpper();
    out.status = OfflineImageLoad::Loaded;
    return out;
}
