// Operations of RSComm that move a whole program: preparing a download from the program's
// Corvane, REV and LCF files, sending its HEX image into the board in program-load mode, and
// reading a board's identity, configuration and program memory back into new files.
#include "comm/RSComm.h"

#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Convert.h"
#include "platform/FileLookup.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <optional>
#include <utility>

namespace {
const QString kDownloadTitle = QStringLiteral("Program Download");
const QString kUploadTitle = QStringLiteral("Program Upload");
const QString kUploadErrorTitle = QStringLiteral("RSComm-Upload Program");
const QString kHalted = QStringLiteral("Program Downloaded Halted!");
constexpr long kIdentAddress = 61424; // 8 ident characters, checksum byte, revision byte
constexpr int kIdentLength = 8;
constexpr int kFileError = 75;

void reportFileError(const QString& title, const QString& description)
{
    msgBox(errorText(kFileError, description), Buttons::Ok, Icon::Critical, title);
}

void reportOffline(const QString& title)
{
    msgBox(QStringLiteral("Program is Currently OFFLINE.") + CRLF + CRLF +
               QStringLiteral("Switch to ONLINE MODE to Continue."),
           Buttons::Ok, Icon::Information, title);
}

bool hasConfigBytes(int code) { return code >= 56 && code <= 65; }

bool canReceiveProgram(int code)
{
    switch (code) {
    case 50: case 51: case 52: case 53: case 54: case 56: case 58:
    case 59: case 60: case 61: case 65: case 66: case 68:
        return true;
    default:
        return false;
    }
}

struct MemoryRange {
    long first = 0;
    long count = 0;
};

// The program memory each controller keeps; other codes have none to upload.
MemoryRange programRange(int code)
{
    switch (code) {
    case 50: return {0x5000, 45056};
    case 51: case 54: case 58: case 59: case 60: case 61: case 65: case 66: return {0x2000, 24576};
    case 52: case 53: case 56: return {0x2000, 8192};
    case 68: return {0x4000, 32768};
    default: return {};
    }
}

// The configuration digits of the LCF file as the board codes them, and back.
int configCByte(int digit) { return digit == 1 ? 5 : digit == 2 ? 10 : 20; }
int configAByte(int digit) { return digit == 1 ? 3 : digit == 2 ? 5 : 12; }
int configCDigit(int byte) { return byte == 5 ? 1 : byte == 10 ? 2 : 3; }
int configADigit(int byte) { return byte == 3 ? 1 : byte == 5 ? 2 : 3; }

QString hex2(int value) { return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0')); }
QString hex4(long value) { return QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0')); }

// First character code of the Corvane file's first item; 0 when it cannot be read, with the
// reason in `error`.
int boardCodeOf(const QString& cvpFile, QString* error = nullptr)
{
    const auto data = readWholeFile(cvpFile, error);
    return data ? cvpBoardCode(*data) : 0;
}

// The first line of a text file; nullopt when the file is missing or unreadable.
std::optional<QString> firstLine(const QString& path, QString* error)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const auto data = readWholeFile(path, error);
    if (!data)
        return std::nullopt;
    return ItemReader(*data).readLine();
}

struct HexRecord {
    QString addressText; // the four address digits as the file has them
    QByteArray bytes;    // count, address high, address low, data: what goes on the wire
};

int hexByteAt(const QString& line, int index) { return line.mid(index, 2).toInt(nullptr, 16); }

struct HexLine {
    enum Kind { Invalid, Data, End } kind = Invalid;
    bool withChecksum = false;
    std::optional<HexRecord> record; // a data record with bytes for the board
};

// Checks one Intel-HEX line whole: the mark, hex digits only, a length that matches the count,
// a data or end record, and the checksum when the line carries one (the upload writes its data
// records without). A data record that runs past the last address is refused as well.
HexLine checkHexLine(const QString& line)
{
    HexLine result;
    if (!line.startsWith(QLatin1Char(':')) || line.size() < 9)
        return result;
    for (int i = 1; i < line.size(); ++i)
        if (line.at(i).unicode() > 127 || !isxdigit(line.at(i).toLatin1()))
            return result;
    const int count = hexByteAt(line, 1);
    const int withoutSum = 9 + 2 * count;
    if (line.size() != withoutSum && line.size() != withoutSum + 2)
        return result;
    result.withChecksum = line.size() == withoutSum + 2;
    const int type = hexByteAt(line, 7);
    if (result.withChecksum) {
        int sum = 0;
        for (int i = 1; i < line.size(); i += 2)
            sum += hexByteAt(line, i);
        if (sum % 256 != 0)
            return result;
    }
    if (type == 1) {
        // The end record is the one the upload writes: no data, no address.
        if (line.compare(QLatin1String(":00000001FF"), Qt::CaseInsensitive) == 0)
            result.kind = HexLine::End;
        return result;
    }
    const long address = line.mid(3, 4).toLong(nullptr, 16);
    if (type != 0 || address + count > 0x10000)
        return result;
    result.kind = HexLine::Data;
    if (count == 0)
        return result;
    HexRecord r;
    r.addressText = line.mid(3, 4);
    r.bytes += static_cast<char>(count);
    r.bytes += static_cast<char>(address / 256);
    r.bytes += static_cast<char>(address % 256);
    for (int k = 0; k < count; ++k)
        r.bytes += static_cast<char>(hexByteAt(line, 9 + 2 * k));
    result.record = r;
    return result;
}

// Every data record of a HEX image, or nullopt when the image is not whole and sound: every line
// a valid record, the data records all with their checksum or all without (a 16-byte line without
// one is as long as a 15-byte line with one, so a mixed file cannot be read for sure), and one end
// record last, followed by nothing but blank lines (a file cut short has none).
std::optional<QList<HexRecord>> parseHexImage(const QByteArray& data)
{
    QList<HexRecord> records;
    std::optional<bool> withChecksums;
    bool ended = false;
    ItemReader reader(data);
    while (!reader.atEnd()) {
        // Blanks after a record are not part of it; other characters are.
        QString line = reader.readLine();
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        if (ended) {
            if (!line.isEmpty())
                return std::nullopt;
            continue;
        }
        const HexLine checked = checkHexLine(line);
        if (checked.kind == HexLine::Invalid)
            return std::nullopt;
        if (checked.kind == HexLine::End) {
            ended = true;
            continue;
        }
        if (withChecksums.value_or(checked.withChecksum) != checked.withChecksum)
            return std::nullopt;
        withChecksums = checked.withChecksum;
        if (checked.record)
            records.append(*checked.record);
    }
    if (!ended)
        return std::nullopt;
    return records;
}

// The value of a MarkHEX or hexadecimal pair; nullopt unless it is two such digits exactly.
std::optional<int> markHexPair(QStringView pair)
{
    if (pair.size() != 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : pair) {
        // MarkHEX writes the digits 10 to 15 as the six characters after "9".
        const char l = c.unicode() < 128 ? c.toLatin1() : '\0';
        const int digit = (l >= '0' && l <= '?')   ? l - '0'
                          : (l >= 'A' && l <= 'F') ? l - 'A' + 10
                          : (l >= 'a' && l <= 'f') ? l - 'a' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QString shownIdent(const QString& ident)
{
    QString shown;
    for (const QChar c : ident)
        if (c.unicode() > 31)
            shown += c;
    return shown;
}

void RSComm::setProgramFiles(const QString& cvpFileName, QString* readError)
{
    const QString stem = cvpFileName.left(cvpFileName.size() - 3);
    auto companion = [&](const char* ext) { return findCaseInsensitive(stem + QLatin1String(ext)); };
    CvpFile = companion("cvp");
    RevFile = companion("rev");
    HexFile = companion("hex");
    LcfFile = companion("lcf");
    ProgramBoardType = boardCodeOf(CvpFile, readError);
    ProgramBoardName = TargetboardName(ProgramBoardType);
}

// Reads ident, checksum and revision from the REV line: the ident, then the checksum and the
// revision as two MarkHEX digits each.
bool RSComm::readRevFile()
{
    QString error;
    const auto line = firstLine(RevFile, &error);
    if (!error.isEmpty()) {
        reportFileError(QStringLiteral("RSComm-Set Program Ident"), error);
        return false;
    }
    if (!line || line->size() < 4)
        return false;
    // Blanks, signs or NULs in a pair would be read as some number and written to the board.
    const auto checksum = markHexPair(QStringView(*line).mid(line->size() - 4, 2));
    const auto revision = markHexPair(QStringView(*line).right(2));
    if (!checksum || !revision)
        return false;
    ProgramIdent = line->left(line->size() - 4);
    ProgramChecksum = QString::number(*checksum);
    ProgramRevision = QString::number(*revision);
    return true;
}

// Reads the three configuration digits at columns 36, 39 and 40 of the LCF line.
bool RSComm::readLcfFile()
{
    ConfigA = 3;
    ConfigB = 0;
    ConfigC = 3;
    QString error;
    const auto line = firstLine(LcfFile, &error);
    if (!error.isEmpty()) {
        reportFileError(QStringLiteral("RSComm-Set Program Config"), error);
        return false;
    }
    if (!line || line->isEmpty())
        return false;
    auto column = [&](int col, int& field) {
        if (line->size() >= col)
            field = static_cast<int>(valInt(line->mid(col - 1, 1)));
    };
    column(36, ConfigA);
    column(39, ConfigB);
    column(40, ConfigC);
    return true;
}

void RSComm::DownloadFile(const QString& CVP_FileName)
{
    m_validProgram = false;
    if (!QFileInfo(findCaseInsensitive(CVP_FileName)).isFile())
        return;
    // A file that cannot be read says nothing about its board; calling it incompatible would mislead.
    QString readError;
    setProgramFiles(CVP_FileName, &readError);
    if (!readError.isEmpty()) {
        reportFileError(QStringLiteral("RSComm-Download File"), readError);
        return;
    }
    const QString baseName = QFileInfo(CvpFile).completeBaseName();
    const int code = ProgramBoardType;
    if (canReceiveProgram(code)) {
        m_validProgram = readRevFile();
        if (!m_validProgram) {
            msgBox(RevFile + QStringLiteral(" Revision File is Not Valid") + CRLF + CRLF + kHalted, Buttons::Ok,
                   Icon::Exclamation, kDownloadTitle);
            return;
        }
        if (hasConfigBytes(code)) {
            m_validProgram = readLcfFile();
            if (!m_validProgram)
                msgBox(LcfFile + QStringLiteral(" Configuration File is Not Valid") + CRLF + CRLF + kHalted,
                       Buttons::Ok, Icon::Exclamation, kDownloadTitle);
        }
    } else if (isLimitSwitchBoard(code)) {
        msgBox(baseName + QStringLiteral(" file is a PLS target board program.") + CRLF +
                   QStringLiteral("Open PLS program to download to target board.") + CRLF + CRLF +
                   QStringLiteral("Program Downloaded Halted."),
               Buttons::Ok, Icon::Information, QStringLiteral("PLS Program Download"));
    } else {
        msgBox(baseName + QStringLiteral(" file is incompatible with target board.") + CRLF + CRLF + kHalted,
               Buttons::Ok, Icon::Critical, kDownloadTitle);
    }
}

void RSComm::UploadFile(const QString& CVP_FileName) { setProgramFiles(CVP_FileName); }

void RSComm::yieldOnce()
{
    if (RecordYield)
        RecordYield();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// Writes one byte variable as RSWrite does (one repeat on a wrong echo); true when it was echoed.
bool RSComm::writeByteVariable(long address, int value)
{
    const QString a = QStringLiteral("B") + QString::number(address);
    const QString v = QString::number(value);
    WriteVariable(a, v);
    if (WriteEchoError && !CommError)
        WriteVariable(a, v);
    return !CommError && !WriteEchoError;
}

// Sends one program-load record in one write (the board answers the record, not its bytes) and
// waits for the board's sum byte. False when nothing came within the reply wait.
bool RSComm::sendRecord(const QByteArray& record, int& reply)
{
    if (CommError || !portOpen())
        return false;
    CommObj->write(record);
    const qint64 deadline = monotonicMs() + timeouts().replyMs;
    if (!CommObj->waitForByte(deadline))
        return false;
    reply = CommObj->readByte();
    return reply >= 0;
}

void RSComm::endDump(bool online)
{
    OnlineMode = online;
    m_inProgramMode = false;
}

void RSComm::DumpProgram()
{
    BusyGuard guard(*this);
    m_inProgramMode = true;
    m_currentProgramAdd = QStringLiteral(" ");
    if (!OnlineMode) {
        reportOffline(kDownloadTitle);
        m_inProgramMode = false;
        return;
    }
    const QString invalidText = QStringLiteral("Currently Selected Program is Invalid.") + CRLF + CRLF +
                                QStringLiteral("Program Download Halted!");
    if (!m_validProgram) {
        msgBox(invalidText, Buttons::Ok, Icon::Exclamation, kDownloadTitle);
        m_inProgramMode = false;
        return;
    }

    // What the board holds now, for the user to compare with what is about to replace it.
    QString boardIdent;
    int boardBytes[10] = {};
    for (int k = 0; k < 10; ++k) {
        // A byte that could not be read even once more, or whose read the user gave up on, would be
        // shown as a 0 the board never held; nothing has been sent to the board yet, so the download
        // stops here.
        if (!readBoardByte(kIdentAddress + k, boardBytes[k])) {
            msgBox(QStringLiteral("Program Download Not Complete!"), Buttons::Ok, Icon::Critical, kDownloadTitle);
            m_inProgramMode = false;
            return;
        }
        if (k < kIdentLength)
            boardIdent += QChar(boardBytes[k]);
    }
    boardIdent = shownIdent(boardIdent);
    const QString diskIdent = shownIdent(ProgramIdent);
    const QString TAB = QStringLiteral("\t");
    const QString text =
        QStringLiteral("Program to be loaded into module (on disk):") + CRLF +
        QStringLiteral("  Program Ident: ") + TAB + TAB + diskIdent + CRLF +
        QStringLiteral("  Program Revision: ") + TAB + TAB + ProgramRevision + CRLF +
        QStringLiteral("  Program Checksum: ") + TAB + ProgramChecksum + CRLF +
        QStringLiteral("  Target Board: ") + TAB + TAB + ProgramBoardName + CRLF + CRLF +
        QStringLiteral("Program currently loaded in module:") + CRLF +
        QStringLiteral("  Program Ident: ") + TAB + TAB + boardIdent + CRLF +
        QStringLiteral("  Program Revision: ") + TAB + TAB + QString::number(boardBytes[9]) + CRLF +
        QStringLiteral("  Program Checksum: ") + TAB + QString::number(boardBytes[8]) + CRLF + CRLF +
        QStringLiteral("Entire program file will be dumped to the PLC.") + CRLF +
        QStringLiteral("All outputs are off while program dump occurrs.") + CRLF + CRLF +
        QStringLiteral("Do You Wish to Continue?") + CRLF;
    if (msgBox(text, Buttons::YesNoCancel, Icon::Question,
               QStringLiteral("Program Download - [") + diskIdent + QStringLiteral("]")) != Answer::Yes) {
        m_inProgramMode = false;
        return;
    }

    // The link counts as off-line while the board is being programmed, so the status poll stays away.
    OnlineMode = false;
    if (!QFileInfo(HexFile).isFile()) {
        msgBox(HexFile + QStringLiteral(" File Does Not Exist.") + CRLF + CRLF + QStringLiteral("Program Downloaded Halted"),
               Buttons::Ok, Icon::Information, kDownloadTitle);
        endDump(true);
        return;
    }
    QString error;
    const auto data = readWholeFile(HexFile, &error);
    if (!data) {
        reportFileError(QStringLiteral("RSComm DumpProgram"), error);
        endDump(true);
        return;
    }
    if (data->trimmed().isEmpty()) {
        msgBox(HexFile + QStringLiteral(" File is Not Valid") + CRLF + CRLF + QStringLiteral("Program Downloaded Halted"),
               Buttons::Ok, Icon::Exclamation, kDownloadTitle);
        endDump(true);
        return;
    }
    // The whole image is checked before the board is touched: once 86 is in B8181 its outputs are
    // off, and a file that fails half-way would leave it half-programmed. An image without a single
    // data byte (all a failed compile may leave is the end record) is no program either: the board
    // would be given the new identity over its old program.
    const auto records = parseHexImage(*data);
    if (!records || records->isEmpty()) {
        msgBox(invalidText, Buttons::Ok, Icon::Exclamation, QStringLiteral("Program Dump"));
        m_validProgram = false;
        endDump(true);
        return;
    }

    // A board whose outputs are still on, or whose old fault code still stands, is not given the
    // program: the download stops before the first record.
    if (!writeByteVariable(8181, 86) || !writeByteVariable(8176, 0)) {
        msgBox(QStringLiteral("Program Download Not Complete!"), Buttons::Ok, Icon::Critical, kDownloadTitle);
        endDump(false);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(timeouts().settleMs));
    SendSync();
    CurrentMode = 0;
    bool failed = false;
    if (hasConfigBytes(ProgramBoardType)) {
        // Each byte is a setting of its own: one the board did not take keeps none of the others
        // from being written.
        const std::pair<long, int> config[] = {
            {8188, configCByte(ConfigC)}, {8189, ConfigB}, {8190, configAByte(ConfigA)}};
        bool configOk = true;
        for (const auto& [address, value] : config) {
            const bool written = !CommError && writeByteVariable(address, value);
            configOk = configOk && written;
        }
        if (!configOk)
            msgBox(QStringLiteral("Could Not Set Program Configuration in PLC!"), Buttons::Ok, Icon::Critical,
                   QStringLiteral("Program Config Download"));
    }
    if (!CommError) {
        SendSync();
        CurrentMode = 0;
        // The answer is not examined, but one that came only after FFh was sent again means that
        // FFh took the board back out of program-load mode: it would take the records for
        // something else.
        if (SendByte(0x03) == NoReply && !CommError) {
            msgBox(QStringLiteral("Program Download Not Complete!"), Buttons::Ok, Icon::Critical, kDownloadTitle);
            endDump(false);
            return;
        }
    }

    for (const HexRecord& record : *records) {
        yieldOnce();
        if (CommError)
            break;
        m_currentProgramAdd = record.addressText + QStringLiteral("H");
        int sum = 0;
        for (char c : record.bytes)
            sum += static_cast<unsigned char>(c);
        int reply = -1;
        if (!sendRecord(record.bytes, reply) || reply != sum % 256) {
            msgBox(QStringLiteral("Checksum Error, Program Download Halted!"), Buttons::Ok, Icon::Exclamation,
                   kDownloadTitle);
            CurrentMode = 0;
            endDump(false);
            return;
        }
    }
    CurrentMode = 0;
    if (!CommError && SendSync() != 0x55) {
        msgBox(QStringLiteral("PLC did not Exit Program Mode!"), Buttons::Ok, Icon::Critical, kDownloadTitle);
        endDump(false);
        return;
    }

    // The board needs two seconds before it takes the identity block. That is long enough to be
    // seen: the identity phase starts here, and events go on (the busy flag keeps every other
    // exchange out), so the transfer window repaints and shows it instead of freezing.
    m_writingIdent = !CommError;
    waitLettingEventsThrough(timeouts().identDelayMs);
    if (!CommError) {
        m_writingIdent = true;
        QByteArray ident = ProgramIdent.trimmed().toLatin1().left(kIdentLength);
        ident.append(kIdentLength - ident.size(), '\0');
        QList<int> block;
        for (char c : ident)
            block.append(static_cast<unsigned char>(c));
        block.append(static_cast<int>(valInt(ProgramChecksum)) & 0xFF);
        block.append(static_cast<int>(valInt(ProgramRevision)) & 0xFF);
        for (int k = 0; k < block.size(); ++k) {
            if (!writeByteVariable(kIdentAddress + k, block[k])) {
                msgBox(QStringLiteral("Could Not Send Program Ident and Revision to PLC!"), Buttons::Ok, Icon::Critical,
                       kDownloadTitle);
                failed = true;
                break;
            }
        }
    }
    m_validProgram = false;
    // The identity phase lasts until its outcome is told: a transfer window that looks while the
    // box is up must not go back to the address of the last record.
    if (!CommError && !failed) {
        msgBox(QStringLiteral("Program Download Complete!"), Buttons::Ok, Icon::Information, kDownloadTitle);
        endDump(true);
    } else {
        msgBox(QStringLiteral("Program Download Not Complete!"), Buttons::Ok, Icon::Critical, kDownloadTitle);
        endDump(false);
    }
    m_writingIdent = false;
}

// Reads one byte of the board's. A byte that could not be read is never stored: a wrong echo or a
// reply lost on the line is tried once more with a fresh handshake; a communication error the user
// cancelled is not.
bool RSComm::readBoardByte(long address, int& value)
{
    const QString a = QStringLiteral("B") + QString::number(address);
    for (int attempt = 0; attempt < 2 && !CommError; ++attempt) {
        if (attempt > 0)
            CurrentMode = 0;
        const QString text = ReadVariable(a);
        if (!text.isEmpty()) {
            value = static_cast<int>(valInt(text));
            return true;
        }
    }
    return false;
}

// Reads the three configuration bytes into the LCF digits and writes the LCF file.
bool RSComm::readUploadConfig()
{
    int a = 0, b = 0, c = 0;
    if (!readBoardByte(8190, a) || !readBoardByte(8189, b) || !readBoardByte(8188, c))
        return false;
    ConfigA = configADigit(a);
    ConfigB = b;
    ConfigC = configCDigit(c);
    const QString line = LCFBoardIndex(ProgramBoardType) + QString(34, QLatin1Char('0')) + QString::number(ConfigA) +
                         QStringLiteral("00") + QString::number(ConfigB) + QString::number(ConfigC) +
                         QStringLiteral("000%");
    QString error;
    if (!ItemWriter().printLine(line).save(LcfFile, &error)) {
        reportFileError(kUploadErrorTitle, error);
        return false;
    }
    return true;
}

void RSComm::UploadProgram()
{
    BusyGuard guard(*this);
    m_readingIdent = false;
    if (!m_inUploadMode)
        return;
    if (!OnlineMode) {
        reportOffline(kUploadTitle);
        // Every way out of an upload ends it, so that the transfer window closes.
        m_inUploadMode = false;
        return;
    }
    const QString notComplete =
        QStringLiteral("Program Upload Not Complete!") + CRLF + CRLF + QStringLiteral("HEX file not created.");
    auto fail = [&] {
        msgBox(notComplete, Buttons::Ok, Icon::Critical, kUploadTitle);
        OnlineMode = false;
        m_inUploadMode = false;
        m_readingIdent = false;
    };

    m_currentProgramAdd = QStringLiteral(" ");
    m_readingIdent = true;
    QString ident;
    int identBytes[10] = {};
    for (int k = 0; k < 10; ++k) {
        if (!readBoardByte(kIdentAddress + k, identBytes[k])) {
            // A cancelled communication box has said enough here; a board that keeps answering
            // wrongly has not.
            if (CommError) {
                m_inUploadMode = false;
                m_readingIdent = false;
            } else {
                fail();
            }
            return;
        }
        if (k < kIdentLength)
            ident += QChar(identBytes[k]);
    }
    m_readingIdent = false;
    QString checksum = hex2(identBytes[8]);
    QString revision = hex2(identBytes[9]);
    QString error;
    if (!ItemWriter().printLine(ident + HEX2MarkHEX(checksum) + HEX2MarkHEX(revision)).save(RevFile, &error)) {
        reportFileError(kUploadErrorTitle, error);
        m_inUploadMode = false;
        return;
    }

    // Without the board code there is no telling which memory to read; an empty HEX file reported
    // as a complete upload would lose the program.
    QString cvpError;
    ProgramBoardType = boardCodeOf(CvpFile, &cvpError);
    if (!cvpError.isEmpty()) {
        reportFileError(kUploadErrorTitle, cvpError);
        m_inUploadMode = false;
        return;
    }
    if (hasConfigBytes(ProgramBoardType) && !readUploadConfig()) {
        fail();
        return;
    }

    const MemoryRange range = programRange(ProgramBoardType);
    ItemWriter hex;
    for (long address = range.first; address < range.first + range.count; address += 16) {
        m_currentProgramAdd = hex4(address) + QStringLiteral("H");
        yieldOnce();
        QString record = QStringLiteral(":10") + hex4(address) + QStringLiteral("00");
        for (long a = address; a < address + 16; ++a) {
            int value = 0;
            if (!readBoardByte(a, value)) {
                fail();
                return;
            }
            record += hex2(value);
        }
        hex.printLine(record);
    }
    hex.printLine(QStringLiteral(":00000001FF"));
    if (!hex.save(HexFile, &error)) {
        reportFileError(kUploadErrorTitle, error);
        OnlineMode = true;
        m_inUploadMode = false;
        return;
    }
    msgBox(QStringLiteral("Program Upload Complete!"), Buttons::Ok, Icon::Information, kUploadTitle);
    OnlineMode = true;
    m_inUploadMode = false;
}
