// Operations of RSComm that need no exchange, or a single read: the board table, address rules,
// I/O mapping, MarkHEX, channel numbers and fault texts.
#include "comm/RSComm.h"

#include "platform/Convert.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"

#include <QFileInfo>
#include <map>

namespace {
struct BoardRow {
    const char* name;
    const char* lcfIndex;
};

const std::map<int, BoardRow>& boardTable()
{
    static const std::map<int, BoardRow> table = {
        {49, {"K7713", "1"}},      {50, {"K7715", "1"}},      {51, {"K7717", "?"}},
        {52, {"K7728", "2"}},      {53, {"K7729", "3"}},      {54, {"K7719", "D"}},
        {55, {"K7747", ""}},       {56, {"K7736", "F"}},      {57, {"Not Defined", ""}},
        {58, {"V8317", "@"}},      {59, {"V8318", "A"}},      {60, {"V8319", "B"}},
        {61, {"V8325(PLC)", "C"}}, {62, {"V8325(PLS)", ""}},  {63, {"V8342", ""}},
        {64, {"V8343", ""}},       {65, {"N5520", "E"}},      {66, {"V8326(PLC)", ""}},
        {67, {"V8326(PLS)", ""}},  {68, {"V8390(PLC)", "G"}}, {69, {"V8390(PLS)", ""}},
    };
    return table;
}

bool inGroupA(int code)
{
    switch (code) {
    case 49: case 51: case 52: case 53: case 54: case 56:
    case 58: case 59: case 60: case 61: case 65: case 66:
        return true;
    default:
        return false;
    }
}

bool inGroupB(int code) { return code == 50 || code == 68; }

// Highest number for a letter on a board, or -1 when the letter is invalid on that board.
qint64 highestNumber(QChar letter, int code)
{
    switch (letter.toLatin1()) {
    case 'B': return inGroupA(code) ? 255 : inGroupB(code) ? 8275 : 65535;
    case 'W':
    case 'D': return inGroupA(code) ? 254 : inGroupB(code) ? 8274 : 65534;
    case 'F': return inGroupA(code) ? 120 : 991;
    case 'I':
        if (code == 49 || code == 50) return 151;
        if ((code >= 51 && code <= 54) || code == 56) return 21;
        return -1;
    case 'X':
    case 'Y':
        if (code == 49 || code == 50) return 151;
        if (code == 68) return -1;
        return 21;
    default: return 0;
    }
}

qint64 lowestNumber(QChar letter) { return QStringLiteral("BWD").contains(letter) ? 32 : 0; }

using PointMap = std::map<int, int>;

// Byte address of an I/O point for the boards that map them; -1 when the pair has no mapping.
int pointByte(int code, QChar letter, int n)
{
    static const PointMap x49 = {{30, 49}, {31, 50}, {50, 51}, {51, 52}, {60, 53},
                                 {61, 54}, {70, 55}, {71, 56}, {80, 57}};
    static const PointMap y49 = {{81, 58},  {90, 59},  {100, 60}, {110, 61}, {111, 62},
                                 {120, 63}, {121, 64}, {130, 65}, {140, 66}, {141, 67}};
    static const PointMap x58 = {{10, 51}, {11, 52}};
    static const PointMap y58 = {{0, 49}, {1, 50}};
    static const PointMap x59 = {{10, 51}, {11, 52}, {20, 53}, {21, 54}};
    static const PointMap x60 = {{10, 51}, {11, 52}, {20, 53}};
    static const PointMap y60 = {{0, 49}, {1, 50}, {21, 54}};
    static const PointMap x61 = {{0, 49}, {1, 50}, {10, 51}};
    static const PointMap y61 = {{11, 52}};

    const char l = letter.toLatin1();
    const PointMap* table = nullptr;
    if (code == 50) {
        const int t = n / 10, u = n % 10;
        if (n < 0 || n > 151 || u > 1)
            return -1;
        if (l == 'X' || l == 'Y')
            return 160 + 2 * t + u;
        if (l == 'I')
            return 192 + 2 * t + u;
        return -1;
    }
    if (code == 49) table = l == 'X' ? &x49 : l == 'Y' ? &y49 : nullptr;
    else if (code == 58) table = l == 'X' ? &x58 : l == 'Y' ? &y58 : nullptr;
    else if (code == 59 || code == 66) table = l == 'X' ? &x59 : l == 'Y' ? &y58 : nullptr;
    else if (code == 60 || code == 65) table = l == 'X' ? &x60 : l == 'Y' ? &y60 : nullptr;
    else if (code == 61) table = l == 'X' ? &x61 : l == 'Y' ? &y61 : nullptr;
    if (!table)
        return -1;
    const auto it = table->find(n);
    return it == table->end() ? -1 : it->second;
}

QString replaceAll(QString text, const char* from, const char* to)
{
    for (int i = 0; from[i]; ++i)
        text.replace(QLatin1Char(from[i]), QLatin1Char(to[i]));
    return text;
}
} // namespace

int cvpBoardCode(const QByteArray& cvpData)
{
    const QString item = ItemReader(cvpData).readItem();
    return item.isEmpty() ? 0 : static_cast<unsigned char>(item.at(0).toLatin1());
}

bool isLimitSwitchBoard(int code)
{
    switch (code) {
    case 55: case 62: case 63: case 64: case 67: case 69:
        return true;
    default:
        return false;
    }
}

QString RSComm::TargetboardName(int BoardType) const
{
    const auto it = boardTable().find(BoardType);
    if (it != boardTable().end())
        return QString::fromLatin1(it->second.name);
    // A code that is no character at all names nothing either.
    if (BoardType < 0 || BoardType > 255)
        return QStringLiteral("Not Defined");
    return QString(QChar(BoardType)) + QStringLiteral(" Is Not Defined.");
}

QString RSComm::LCFBoardIndex(int BoardType) const
{
    const auto it = boardTable().find(BoardType);
    return it == boardTable().end() ? QString() : QString::fromLatin1(it->second.lcfIndex);
}

namespace {
// Accumulates one digit, saturating just past the 16-bit address space so no text overflows.
bool addDigit(long& number, int digit, int base)
{
    if (digit < 0 || digit >= base)
        return false;
    number = qMin<long>(number * base + digit, 0x10000);
    return true;
}

int digitValue(QChar c)
{
    const char l = c.toLatin1();
    if (l >= '0' && l <= '9')
        return l - '0';
    if (l >= 'A' && l <= 'F')
        return l - 'A' + 10;
    if (l >= 'a' && l <= 'f')
        return l - 'a' + 10;
    return -1;
}

// Reads the whole text as a number of the base; false for an empty text or any other character.
bool readNumber(QStringView text, int base, long& number)
{
    number = 0;
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (!addDigit(number, digitValue(c), base))
            return false;
    return true;
}
} // namespace

RSComm::AddressForm RSComm::splitAddress(const QString& Address)
{
    AddressForm form;
    const QString a = Address.trimmed();
    if (a.size() >= 2 && a.endsWith(QLatin1Char('H'), Qt::CaseInsensitive)) {
        if (!readNumber(QStringView(a).chopped(1), 16, form.number))
            return form;
        form.kind = AddressForm::Hex;
        form.letter = QLatin1Char('B');
    } else {
        if (a.isEmpty())
            return form;
        form.letter = a.at(0).toUpper();
        if (form.letter < QLatin1Char('A') || form.letter > QLatin1Char('Z'))
            return form;
        const QStringView rest = QStringView(a).mid(1);
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            if (!readNumber(rest, 10, form.number))
                return form;
            form.kind = AddressForm::Plain;
        } else {
            // One of the eight bits of a byte or an I/O point; a word, a double word or a flag has none.
            long bit = 0;
            if (!QStringLiteral("BIXY").contains(form.letter) || rest.size() != dot + 2 ||
                !readNumber(rest.left(dot), 10, form.number) || !readNumber(rest.mid(dot + 1), 10, bit) ||
                bit > 7)
                return form;
            form.kind = AddressForm::Bit;
            form.bit = static_cast<int>(bit);
        }
    }
    if (form.number > 0xFFFF) {
        form.kind = AddressForm::Invalid;
        form.tooLarge = true;
    }
    return form;
}

bool RSComm::ValidAdd(const QString& Address, int TargetBoardIndex) const
{
    const AddressForm form = splitAddress(Address);
    if (form.kind == AddressForm::Invalid)
        return false;
    const QChar letter = form.letter;
    const qint64 n = form.number;
    const qint64 highest = highestNumber(letter, TargetBoardIndex);
    if (highest < 0 || n < lowestNumber(letter) || n > highest)
        return false;
    if (letter == QLatin1Char('W') || letter == QLatin1Char('D')) {
        // Even, and the variable's last byte still inside the address space.
        if (n % 2 != 0 || n + (letter == QLatin1Char('W') ? 1 : 3) > 0xFFFF)
            return false;
    }
    if (form.kind != AddressForm::Hex && QStringLiteral("IXY").contains(letter) && n % 10 > 1)
        return false;
    return true;
}

QString RSComm::EquateAdd(const QString& Address, int TargetBoardIndex) const
{
    // The address rules read a text without the blanks around it, and so does the mapping: " X30"
    // is validated as a point and must not be read as the byte the parser gives unmapped letters.
    const QString a = Address.trimmed();
    if (a.isEmpty() || TargetBoardIndex < 49 || TargetBoardIndex > 66)
        return Address;
    const QChar letter = a.at(0).toUpper();
    const bool hasBit = a.contains(QLatin1Char('.'));
    const QString number = hasBit ? a.mid(1, a.size() - 3) : a.mid(1);
    const qint64 n = valInt(number);
    if (n < 0 || n > 100000)
        return Address;
    const int byte = pointByte(TargetBoardIndex, letter, static_cast<int>(n));
    if (byte < 0)
        return Address;
    QString result = QStringLiteral("B") + QString::number(byte);
    if (hasBit)
        result += QLatin1Char('.') + QString::number(qMin<qint64>(valInt(a.right(1)), 7));
    return result;
}

QString RSComm::MarkHex2HEX(QString& MarkHEX) const
{
    MarkHEX = replaceAll(MarkHEX, ":;<=>?", "ABCDEF");
    return MarkHEX;
}

QString RSComm::HEX2MarkHEX(QString& HexCode) const
{
    HexCode = replaceAll(HexCode, "ABCDEF", ":;<=>?");
    return HexCode;
}

int RSComm::Dec2Octal(int DecNum) const { return (DecNum / 8) * 10 + DecNum % 8; }

int RSComm::Octal2Dec(int OctNum) const { return (OctNum / 10) * 8 + OctNum % 10; }

int RSComm::FaultCode() { return readFaultCode().value_or(0); }

std::optional<int> RSComm::readFaultCode()
{
    BusyGuard guard(*this);
    const QString value = ReadVariable(QStringLiteral("B8176"));
    if (value.isEmpty())
        return std::nullopt;
    return static_cast<int>(valInt(value));
}

QString RSComm::FaultDescription(int FltCode)
{
    const QString code = QString::number(FltCode, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    const QString prefix = QStringLiteral("Fault Code (") + code + QStringLiteral("H): ");
    const QString path = installPath(QStringLiteral("support/FaultErrCodes.txt"));
    if (!QFileInfo::exists(path))
        return prefix + QStringLiteral("--- Fault File Not Found ---");
    QString error;
    const auto data = readWholeFile(path, &error);
    if (!data) {
        msgBox(errorText(75, error), Buttons::Ok, Icon::Information, QStringLiteral("RSComm FaultDescription"));
        return prefix;
    }
    return prefix + codeFileText(*data, code).value_or(QString());
}

std::optional<QString> codeFileText(const QByteArray& data, const QString& code)
{
    // One (code, text) pair a line; the first line whose code matches wins.
    ItemReader lines(data);
    while (!lines.atEnd()) {
        ItemReader line(lines.readLine().toLatin1());
        const QString lineCode = line.readItem();
        if (lineCode.trimmed().compare(code, Qt::CaseInsensitive) == 0)
            return line.readItem();
    }
    return std::nullopt;
}

int RSComm::FirmwareRev()
{
    if (!OnlineMode || CommError)
        return -1;
    BusyGuard guard(*this);
    const QString value = ReadVariable(QStringLiteral("B8159"));
    return static_cast<int>(valInt(value));
}

namespace {
constexpr ControllerBoardRow kControllerBoards[] = {
    {"(none)", 0}, {"K7713", 49}, {"K7715", 50}, {"K7717", 51}, {"K7728", 52}, {"K7729", 53}, {"K7719", 54},
    {"K7736", 56}, {"V8317", 58}, {"V8318", 59}, {"V8319", 60}, {"V8325", 61}, {"N5520", 65}, {"V8326", 66},
    {"V8390", 68}};
} // namespace

std::span<const ControllerBoardRow> controllerBoardRows() { return kControllerBoards; }

int controllerBoardCode(int row)
{
    return row >= 0 && row < int(std::size(kControllerBoards)) ? kControllerBoards[row].code : 0;
}
