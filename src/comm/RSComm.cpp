#include "comm/RSComm.h"

#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Convert.h"
#include "platform/Install.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace {
const QString kCommTitle = QStringLiteral("WARNING - Communication Error!");
const QString kEntryAlert = QStringLiteral("ENTRY ALERT");
const QString kCannotCommunicate = QStringLiteral("Cannot Communicate with Target Board.") + CR +
                                   QStringLiteral("Verify RS-232 Cable is Connected Between") + CR +
                                   QStringLiteral("COMM Port and PROG Port.");
constexpr int kFileAccessError = 75; // the old "Path/File access error"

void entryAlert(const QString& reason)
{
    msgBox(QStringLiteral("Error:") + CR + reason, Buttons::Ok, Icon::Critical, kEntryAlert);
}

// Asks Retry or Cancel for a settings-file failure; true for Retry.
bool retrySettings(const QString& description)
{
    return msgBox(errorText(kFileAccessError, description), Buttons::RetryCancel, Icon::Critical,
                  QStringLiteral("RSComm InitializeRSComm")) == Answer::Retry;
}

QByteArray defaultSettingsLine() { return QByteArrayLiteral("1,9600\r\n"); }
} // namespace

RSComm::RSComm() = default;
RSComm::~RSComm() = default;

QString RSComm::CommSettingsFile() { return installPath(QStringLiteral("Support/RSPort.cfg")); }

RSComm::CommSettings RSComm::readCommSettings(const QByteArray& data)
{
    ItemReader reader(data);
    CommSettings settings;
    const qint64 port = valInt(reader.readItem().trimmed());
    // Control characters around the speed (a form feed, a tab) are not part of the number.
    const qint64 speed = valInt(reader.readItem().trimmed());
    settings.port = static_cast<int>(qBound(qint64(PortMinimum), port, qint64(PortMaximum)));
    settings.speed = speed == 19200 ? 19200 : 9600;
    return settings;
}

bool RSComm::portOpen() const { return CommObj && CommObj->isOpen(); }

// Reads RSPort.cfg into port and speed, writing the default line where the file is missing or
// empty. False when the user cancelled a failure.
bool RSComm::readSettings(int& port, QString& speed)
{
    port = 1;
    speed = QStringLiteral("9600");
    const QString path = CommSettingsFile();
    for (;;) {
        QString error;
        if (QFileInfo::exists(path)) {
            const auto data = readWholeFile(path, &error);
            if (data && data->trimmed().isEmpty()) {
                if (writeWholeFile(path, defaultSettingsLine(), &error))
                    return true;
            } else if (data) {
                const CommSettings settings = readCommSettings(*data);
                port = settings.port;
                speed = QString::number(settings.speed);
                return true;
            }
        } else {
            const QString folder = QFileInfo(path).absolutePath();
            if (!QDir().mkpath(folder))
                error = QStringLiteral("Cannot create folder ") + folder;
            else if (writeWholeFile(path, defaultSettingsLine(), &error))
                return true;
        }
        if (!retrySettings(error))
            return false;
    }
}

bool RSComm::InitializeRSComm(CommPort& port)
{
    int number = 1;
    QString speed;
    if (!readSettings(number, speed)) {
        OnlineMode = false;
        PortSetupFailed = true;
        return false;
    }
    if (port.isOpen())
        port.close();
    port.setCommPort(number);
    port.setSettings(speed + QStringLiteral(",n,8,1"));
    CommObj = &port;
    PortSetupFailed = false;
    return true;
}

void RSComm::OpenRSComm(CommPort& port)
{
    BusyGuard guard(*this);
    if (!InitializeRSComm(port))
        return;
    if (const auto err = CommObj->open()) {
        msgBox(QStringLiteral("Error Number = ") + QString::number(err->number) + CRLF +
                   QStringLiteral("Error Source = ") + err->source + CRLF + CRLF + err->description,
               Buttons::Ok, Icon::Critical, QStringLiteral("Comm Port Error"));
        CommError = true;
        OnlineMode = false;
        PortSetupFailed = true;
        return;
    }
    CommObj->clearInput();
    CurrentMode = 0;
    CommError = false;
    m_lostInARow = 0;
    SendSync();
    OnlineMode = !CommError;
}

void RSComm::CloseRSComm()
{
    BusyGuard guard(*this);
    if (portOpen()) {
        if (!CommError)
            SendSync();
        CommObj->close();
    }
    CurrentMode = 0;
    OnlineMode = false;
}

int RSComm::SendByte(int value, bool noReply, bool clearInput)
{
    return exchangeByte(value, noReply, clearInput, false, nullptr);
}

int RSComm::SendSync(bool clearInput, bool* late) { return exchangeByte(0xFF, false, clearInput, true, late); }

int RSComm::exchangeByte(int value, bool noReply, bool clearInput, bool sync, bool* late)
{
    if (late)
        *late = false;
    if (CommError)
        return NoReply;
    if (clearInput && portOpen())
        CommObj->clearInput();
    if (!portOpen()) {
        CurrentMode = 0;
        CommError = true;
        return NoReply;
    }
    CommObj->write(QByteArray(1, static_cast<char>(value & 0xFF)));
    CommErrorAlert = false;
    if (noReply)
        return 0;

    const qint64 sentAt = monotonicMs();
    qint64 deadline = sentAt + timeouts().replyMs;
    int timeoutCount = 0;
    int sent = 1; // bytes on their way whose answers have not been read
    for (;;) {
        if (CommObj->waitForByte(deadline)) {
            CommErrorAlert = false;
            const int reply = CommObj->readByte();
            if (sent == 1) {
                m_replyTookMs = monotonicMs() - sentAt;
                // A board that answers every byte so late cannot be told from a line that holds its
                // answers, and is as unusable: such answers count as lost ones.
                if (replyStale()) {
                    if (!lostOneMore())
                        return NoReply;
                } else if (!m_argumentsMayBePending) {
                    // Until a handshake has counted its answers in a row, an answer in time may be
                    // one still owed from before: it does not show that the line works again.
                    m_lostInARow = 0;
                }
                return reply;
            }
            return lateAnswer(reply, sent - 1, deadline, sync, late);
        }
        CurrentMode = 0;
        CommError = true;
        CommErrorAlert = true;
        deadline = monotonicMs() + timeouts().resendMs;
        ++timeoutCount;
        if (timeoutCount < 3) {
            // Resynchronise with FFh alone. Whether the board took the byte whose reply did not
            // come cannot be told; a board that heard nothing for this long has dropped what it
            // half received, and takes FFh where an exchange starts. Any other byte sent now
            // would start an exchange nobody asked for.
            CommError = false;
            CommObj->clearInput();
            CommObj->write(QByteArray(1, static_cast<char>(0xFF)));
            ++sent;
            continue;
        }
        const Answer a = msgBox(kCannotCommunicate, Buttons::RetryCancel, Icon::Critical, kCommTitle);
        if (a != Answer::Retry) {
            CommError = true;
            return NoReply;
        }
        timeoutCount = 0;
        CommError = false;
        if (!portOpen()) {
            CommError = true;
            return NoReply;
        }
    }
}

// The first answer after FFh was sent again. The FFh bytes are answered too, and a line that held
// its replies delivers them all at once, in order: which byte this one answers cannot be told, and
// the answers still owed would be taken for the answers to whatever is sent next, one place off.
// So they are read off the line, as long as the exchange would have waited for them, and then until
// the line has been quiet a moment; after that nothing is in flight. The next handshake then counts
// several 55h in a row, so that no answer from before can pass for its own.
int RSComm::lateAnswer(int reply, int owed, qint64 until, bool sync, bool* late)
{
    for (; owed > 0 && CommObj->waitForByte(until); --owed)
        CommObj->readByte();
    settleLine(timeouts().quietMs);
    CurrentMode = 0;
    m_argumentsMayBePending = true;
    if (!lostOneMore())
        return NoReply;
    if (sync) {
        // FFh is all that went out, so whatever came answers an FFh; the handshake does not count it.
        if (late)
            *late = true;
        return reply;
    }
    ReplyLost = true;
    return NoReply;
}

// A board that answers every byte late is a link that does not work, however each late answer is
// dealt with; a single late answer is a stall of the line and passes without a word.
bool RSComm::lostOneMore()
{
    if (++m_lostInARow < kLostInARow)
        return true;
    m_lostInARow = 0;
    if (msgBox(kCannotCommunicate, Buttons::RetryCancel, Icon::Critical, kCommTitle) == Answer::Retry)
        return true;
    CommError = true;
    CommErrorAlert = true;
    return false;
}

void RSComm::settleLine(int quietMs)
{
    // A board that keeps talking is not waited out for ever: as long as one more wait would be.
    const qint64 quietLimit = monotonicMs() + timeouts().resendMs;
    while (monotonicMs() < quietLimit && CommObj->waitForByte(monotonicMs() + quietMs))
        CommObj->readByte();
    CommObj->clearInput();
}

bool RSComm::replyStale() const { return m_replyTookMs >= timeouts().staleMs; }

bool RSComm::droppedIfStale()
{
    if (!replyStale())
        return false;
    letExchangeLapse();
    ReplyLost = true;
    return true;
}

void RSComm::letExchangeLapse()
{
    if (portOpen())
        settleLine(timeouts().replyMs);
    CurrentMode = 0;
}

bool RSComm::SetPLCMode(int mode, int modeByte)
{
    CurrentMode = 0;
    // Every answer the handshake asks for may take as long as an exchange waits for its reply.
    const auto nextDeadline = [this] {
        const int answers = m_argumentsMayBePending ? kLongestArguments : 1;
        return monotonicMs() + timeouts().handshakeMs + qint64(answers - 1) * timeouts().replyMs;
    };
    qint64 deadline = nextDeadline();
    // After a late answer, or an argument the board did not acknowledge, a 55h may be one still on
    // its way, or a limit-switch board's acknowledgement of an FFh taken as one of its arguments.
    // Only more 55h answers in a row than a command has arguments say that an FFh reached the
    // handshake.
    int answers = 0;
    int stalls = 0;
    while (CurrentMode != mode) {
        if (monotonicMs() >= deadline) {
            const Answer a = msgBox(QStringLiteral("Cannot Set PLC Mode Within Target Board."),
                                    Buttons::RetryCancel, Icon::Critical, kCommTitle);
            if (a != Answer::Retry) {
                CommError = true;
                OnlineMode = false;
                CloseRSComm();
                return false;
            }
            deadline = nextDeadline();
        }
        bool late = false;
        int reply = SendSync(true, &late);
        if (reply == NoReply)
            return false;
        if (late) {
            // The line stalled: the count starts again on an emptied line, with the time it needs
            // (a few times; a line that keeps stalling meets the deadline's box).
            answers = 0;
            if (++stalls <= kLostInARow)
                deadline = nextDeadline();
            continue;
        }
        answers = reply == 0x55 ? answers + 1 : 0;
        if (answers < (m_argumentsMayBePending ? kLongestArguments : 1))
            continue;
        m_argumentsMayBePending = false;
        reply = SendByte(modeByte);
        if (reply == NoReply)
            return false;
        if (reply == 0x55 && !replyStale()) {
            CurrentMode = mode;
            return true;
        }
        // A limit-switch board that took its command byte whatever came back waits for the
        // command's arguments: the next FFh would be one. One that answered it late may have
        // dropped the command since, and would take the first argument for the start of another
        // exchange. The wait is not the board's to count (a few times; a board that keeps refusing
        // the command meets the deadline's box).
        letExchangeLapse();
        if (++stalls <= kLostInARow)
            deadline = std::max(deadline, nextDeadline());
    }
    return true;
}

void RSComm::ParseAddress(const QString& address)
{
    IsBit = false;
    const AddressForm form = splitAddress(address);
    AddrType = QStringLiteral("B");
    ByteAddress = form.number;
    switch (form.kind) {
    case AddressForm::Invalid:
        // Names no address: an empty type tells the exchanges to send nothing.
        AddrType.clear();
        ByteAddress = 0;
        break;
    case AddressForm::Hex:
        break;
    case AddressForm::Bit:
        IsBit = true;
        BitMask = 1 << form.bit;
        break;
    case AddressForm::Plain:
        if (form.letter == QLatin1Char('W') || form.letter == QLatin1Char('D')) {
            AddrType = QString(form.letter);
        } else if (form.letter == QLatin1Char('F')) {
            IsBit = true;
            ByteAddress = 32 + form.number / 8;
            BitMask = 1 << (form.number % 8);
        } else if (form.letter != QLatin1Char('B')) {
            ByteAddress = 32;
        }
        break;
    }
}

QString RSComm::ReadVariable(const QString& address)
{
    // In read mode the board is still on the last address read; only a new one is parsed again.
    const bool newAddress = CurrentMode != 1 || AddrType.isEmpty() ||
                            address.compare(LastReadAddress, Qt::CaseInsensitive) != 0;
    if (newAddress) {
        ParseAddress(address);
        LastByteCount = AddrType == QLatin1String("W") ? 1 : AddrType == QLatin1String("D") ? 3 : 0;
    }
    // A text that names no address, or a variable past the 16-bit space, cannot be put on the wire.
    if (AddrType.isEmpty() || ByteAddress < 0 || ByteAddress + LastByteCount > 0xFFFF)
        return {};
    if (CurrentMode != 1 && !SetPLCMode(1, 0x01))
        return {};
    LastReadAddress = address;
    for (int k = 0; k <= LastByteCount; ++k) {
        const long a = ByteAddress + k;
        const int echo = SendByte(static_cast<int>(a / 256));
        if (echo == NoReply)
            return {};
        if (echo != a / 256) {
            letExchangeLapse();
            return {};
        }
        if (droppedIfStale())
            return {};
        const int data = SendByte(static_cast<int>(a % 256));
        if (data == NoReply)
            return {};
        ReadBytes[k] = data;
    }
    qint64 value = 0;
    if (LastByteCount == 0)
        value = IsBit ? ((ReadBytes[0] & BitMask) ? 1 : 0) : ReadBytes[0];
    else if (LastByteCount == 1)
        value = ReadBytes[1] * 256 + ReadBytes[0];
    else
        value = static_cast<qint64>(ReadBytes[3] * 256 + ReadBytes[2]) * 10000 + (ReadBytes[1] * 256 + ReadBytes[0]);
    return QString::number(value);
}

QString RSComm::RSRead(const QString& address)
{
    BusyGuard guard(*this);
    const QString result = ReadVariable(address);
    LastReadFailed = result.isEmpty();
    // ReadVariable gives the value's decimal text already, or nothing when the read failed.
    return LastReadFailed ? QStringLiteral("0") : result;
}

void RSComm::WriteVariable(const QString& address, const QString& dataValue)
{
    WriteEchoError = false;

    // Thousands separators, decimal points, percent and degree signs are typed along with values;
    // only the digits count.
    qint64 value = 0;
    for (QChar c : dataValue) {
        if (c.isDigit() && c.unicode() < 128) {
            value = qMin<qint64>(value * 10 + c.digitValue(), Q_INT64_C(1) << 40);
        } else if (c != QLatin1Char(' ') && c != QLatin1Char('%') && c != QLatin1Char(',') &&
                   c != QLatin1Char('.') && c.unicode() != 176) {
            entryAlert(QStringLiteral("Only Numerical Data Allowed."));
            return;
        }
    }

    // The parser turns an unknown type letter (an I/O point that was not mapped to its byte) into
    // byte 32; writing there would change a variable the user never named.
    const AddressForm form = splitAddress(address);
    if (form.kind == AddressForm::Invalid ||
        (form.kind != AddressForm::Hex && !QStringLiteral("BWDF").contains(form.letter)) ||
        (form.kind == AddressForm::Bit && form.letter != QLatin1Char('B'))) {
        entryAlert(form.tooLarge ? QStringLiteral("Address out of Range.")
                                 : QStringLiteral("Address Type Not Recognized."));
        return;
    }

    ParseAddress(address);
    // The parsed fields belong to this write only: a read that followed without parsing (the same
    // text, or any text equal to the cleared cache key, in read mode) would take them for its own.
    LastReadAddress.clear();
    const auto forgetFields = qScopeGuard([this] {
        AddrType.clear();
        LastReadAddress.clear();
    });
    if (IsBit) {
        if (value != 0 && value != 1) {
            entryAlert(QStringLiteral("Enter 0 or 1 Only."));
            return;
        }
        const long byteAddress = ByteAddress;
        const int mask = BitMask;
        const QString current = ReadVariable(QStringLiteral("B") + QString::number(byteAddress));
        if (current.isEmpty()) {
            // Without the byte as the board holds it, writing would clear its other seven bits.
            if (!CommError)
                WriteEchoError = true;
            return;
        }
        const qint64 byte = valInt(current);
        value = value ? (byte | mask) : (byte & ~static_cast<qint64>(mask));
        AddrType = QStringLiteral("B");
        ByteAddress = byteAddress;
        IsBit = false;
    }

    QList<int> bytes;
    if (AddrType == QLatin1String("W")) {
        if (value > 65535) {
            entryAlert(QStringLiteral("Entry out of Range (0-65,535)."));
            return;
        }
        bytes = {static_cast<int>(value % 256), static_cast<int>(value / 256)};
    } else if (AddrType == QLatin1String("D")) {
        if (value > 655359999) {
            entryAlert(QStringLiteral("Entry out of Range (0-655,359,999)."));
            return;
        }
        const qint64 lo = value % 10000, hi = value / 10000;
        bytes = {static_cast<int>(lo % 256), static_cast<int>(lo / 256), static_cast<int>(hi % 256),
                 static_cast<int>(hi / 256)};
    } else {
        if (value > 255) {
            entryAlert(QStringLiteral("Entry out of Range (0-255)."));
            return;
        }
        bytes = {static_cast<int>(value)};
    }
    if (ByteAddress < 0 || ByteAddress + bytes.size() - 1 > 0xFFFF) {
        entryAlert(QStringLiteral("Address out of Range."));
        return;
    }

    if (CurrentMode != 2 && !SetPLCMode(2, 0x02)) {
        WriteEchoError = !CommError;
        return;
    }
    for (int k = 0; k < bytes.size() && !WriteEchoError; ++k) {
        const long addr = ByteAddress + k;
        const int triple[] = {static_cast<int>(addr / 256), static_cast<int>(addr % 256), bytes[k]};
        for (std::size_t j = 0; j < 3; ++j) {
            const int sent = triple[j];
            const int reply = SendByte(sent);
            if (reply == NoReply) {
                // A reply lost on the line leaves the byte unconfirmed, as a wrong echo does.
                WriteEchoError = !CommError;
                return;
            }
            // A wrong echo: the board may have taken the byte whatever came back, and wait for the
            // rest of the exchange, where the handshake's FFh would be written. An echo of an
            // address byte that came late: the board may have dropped the exchange meanwhile, and
            // would take the rest for a new one.
            if (reply != sent) {
                WriteEchoError = true;
                letExchangeLapse();
                break;
            }
            if (j < 2 && droppedIfStale()) {
                WriteEchoError = true;
                break;
            }
        }
    }
}

void RSComm::RSWrite(const QString& address, const QString& dataValue)
{
    BusyGuard guard(*this);
    WriteVariable(address, dataValue);
    if (WriteEchoError)
        WriteVariable(address, dataValue);
    LastWriteFailed = WriteEchoError;
}
