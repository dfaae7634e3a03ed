// Operations of RSComm for limit-switch boards. These boards take commands rather than variable
// addresses: the command byte is the handshake's mode byte, a fixed run of argument and answer
// bytes follows, and commands that change the board end with a poll until it is ready again.
// Every command leaves the mode at 0, so that whatever follows starts with a fresh handshake.
#include "comm/RSComm.h"

#include "platform/Clock.h"
#include "platform/Prompts.h"

#include <algorithm>

namespace {
constexpr int kAck = 0x55;
constexpr int kReadyByte = 0x38;

// Command bytes and the mode numbers they are recorded under.
constexpr int kReadScale = 0x18, kReadOffset = 0x28, kReadPosition = 0x48, kReadSpeed = 0x58;
constexpr int kWriteScale = 0x1A, kWriteOffset = 0x2A;
constexpr int kChannelSetpoint = 0x1B, kChannelPulseTrain = 0x2B;
constexpr int kConfigBlocks[4] = {0x3B, 0x4B, 0x5B, 0x6B};
constexpr int kConfigUpload = 0x0C, kChannelRecall = 0x09;
constexpr int kModeWordRead = 4, kModeWordWrite = 5, kModeChannel = 3, kModeRecall = 6, kModeBlock = 7,
              kModeConfigUpload = 8;
constexpr int kRecallHighestHigh = 16; // a recalled position above 16 × 256 + 255 is not one

const QString kPulseTitle = QStringLiteral("PLS Pulse Train");

void refusePulseTrain(const QString& reason)
{
    msgBox(reason + CRLF + CRLF + QStringLiteral("PLS Channel will not be Programmed."), Buttons::Ok,
           Icon::Exclamation, kPulseTitle);
}
} // namespace

// A 16-bit value read with command `command`, low byte first; -9999 when it could not be read.
int RSComm::wordRead(int command)
{
    int result = PLSReadFailed;
    if (!CommError && SetPLCMode(kModeWordRead, command) && !CommError) {
        int low = SendByte(kAck);
        if (low != NoReply && droppedIfStale())
            low = NoReply;
        const int high = low == NoReply ? NoReply : SendByte(kAck);
        if (high != NoReply && !CommError)
            result = high * 256 + low;
    }
    CurrentMode = 0;
    return result;
}

// Every argument answered by 55h. Until the last one is taken the board cannot have carried the
// command out; once it may have taken the last one, an answer that is not its 55h in time leaves
// the command done or not.
RSComm::Outcome RSComm::sendArguments(std::span<const int> arguments)
{
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const bool last = k + 1 == arguments.size();
        if (CommError)
            return Outcome::CommFailed;
        const int reply = SendByte(arguments[k] & 0xFF);
        if (reply == NoReply)
            return CommError ? Outcome::CommFailed : last ? Outcome::Lost : Outcome::Refused;
        if (reply == kAck && !droppedIfStale())
            continue;
        if (reply != kAck) {
            // A board that did not acknowledge may still be waiting for the rest of the arguments,
            // or be in the command's poll, and would take whatever comes next for them.
            if (!last)
                m_argumentsMayBePending = true;
            letExchangeLapse();
        }
        return last ? Outcome::Lost : Outcome::Refused;
    }
    return Outcome::Done;
}

// The poll until the board is ready again after a command that changed it. An answer that is not
// the poll's own asks again, once the line has been quiet long enough for the board to have left
// whatever it took the poll's bytes for; its 38h and 55h never complete an exchange of another mode.
// An answer that came late ends the poll there: the board may have left it since.
RSComm::Outcome RSComm::readyPoll()
{
    const auto noAnswer = [this] { return CommError ? Outcome::CommFailed : Outcome::Lost; };
    qint64 deadline = monotonicMs() + timeouts().readyMs;
    for (;;) {
        // A communication box the user cancelled ends the poll without a second box.
        if (CommError)
            return Outcome::CommFailed;
        if (monotonicMs() >= deadline) {
            const Answer a = msgBox(QStringLiteral("Cannot Determine PLS READY Mode Within Target Board."),
                                    Buttons::RetryCancel, Icon::Critical, QStringLiteral("WARNING - Communication Error!"));
            if (a != Answer::Retry) {
                CommError = true;
                return Outcome::CommFailed;
            }
            deadline = monotonicMs() + timeouts().readyRetryMs;
        }
        // A reply lost on the line: the FFh sent again took the board out of the poll, so whether
        // the command was carried out cannot be told.
        const int reply = SendByte(kReadyByte);
        if (reply == NoReply)
            return noAnswer();
        if (droppedIfStale())
            return Outcome::Lost;
        if (reply != kAck) {
            letExchangeLapse();
            continue;
        }
        const int state = SendByte(kAck);
        if (state == NoReply)
            return noAnswer();
        if (droppedIfStale())
            return Outcome::Lost;
        if (state == 0x00) {
            SendByte(kAck);
            return CommError ? Outcome::CommFailed : Outcome::Done;
        }
        // 55h: still busy; anything else is not the poll's answer.
        if (state != kAck)
            letExchangeLapse();
    }
}

// A command that changes the board: the handshake with its command byte, every argument answered
// by 55h, then the poll until the board is ready again.
RSComm::Outcome RSComm::changingCommand(int mode, int command, std::span<const int> arguments)
{
    Outcome outcome = Outcome::CommFailed;
    if (!CommError) {
        // A handshake that failed without a link failure never gave the board its command byte.
        outcome = SetPLCMode(mode, command) ? sendArguments(arguments) : Outcome::Refused;
        if (outcome == Outcome::Done)
            outcome = readyPoll();
    }
    CurrentMode = 0;
    return CommError ? Outcome::CommFailed : outcome;
}

RSComm::Outcome RSComm::wordWrite(int command, int value)
{
    const int arguments[] = {value % 256, value / 256};
    return changingCommand(kModeWordWrite, command, arguments);
}

bool RSComm::wordWriteReadBack(int command, int value, int readCommand)
{
    const Outcome outcome = wordWrite(command, value);
    if (outcome == Outcome::Lost)
        return wordRead(readCommand) == value && !CommError;
    return outcome == Outcome::Done;
}

RSComm::Outcome RSComm::channelCommand(int command, int channel, int s1, int s2, int flag)
{
    const int arguments[] = {channel, s1 % 256, s1 / 256, s2 % 256, s2 / 256, flag};
    return changingCommand(kModeChannel, command, arguments);
}

RSComm::Outcome RSComm::blockWrite(int command, const int* values)
{
    return changingCommand(kModeBlock, command, std::span<const int>(values, 6));
}

QString RSComm::PLSScaleFactor()
{
    BusyGuard guard(*this);
    return QString::number(wordRead(kReadScale));
}

QString RSComm::PLSOffset()
{
    BusyGuard guard(*this);
    return QString::number(wordRead(kReadOffset));
}

QString RSComm::PLSPos()
{
    BusyGuard guard(*this);
    return QString::number(wordRead(kReadPosition));
}

QString RSComm::PLSRpm()
{
    BusyGuard guard(*this);
    return QString::number(wordRead(kReadSpeed));
}

bool RSComm::SetpointsInScale(int OnSetpoint, int OffSetpoint, int Scale)
{
    for (const int setpoint : {OnSetpoint, OffSetpoint}) {
        if (setpoint > Scale - 1 || setpoint < 0) {
            msgBox(QStringLiteral("Setpoint setting ") + QString::number(setpoint) +
                       QStringLiteral(" is greater than scale factor.") + CRLF + CRLF +
                       QStringLiteral("Channel can not be programmed."),
                   Buttons::Ok, Icon::Exclamation, QStringLiteral("PLS Single Setpoint"));
            return false;
        }
    }
    return true;
}

bool RSComm::SingleSetpoint(int Chan, int OnSetpoint, int OffSetpoint, bool ClearChan)
{
    BusyGuard guard(*this);
    LastChange = LastClearFirst = Outcome::Refused;
    if (CommError)
        return false;
    const int scale = wordRead(kReadScale);
    if (CommError || scale == PLSReadFailed)
        return false;
    if (!SetpointsInScale(OnSetpoint, OffSetpoint, scale))
        return false;
    if (ClearChan) {
        LastChange = LastClearFirst = channelCommand(kChannelSetpoint, Chan, 0, 0, 0);
        if (LastChange != Outcome::Done)
            return false;
    }
    LastChange = channelCommand(kChannelSetpoint, Chan, OnSetpoint, OffSetpoint, 1);
    return LastChange == Outcome::Done;
}

bool RSComm::PulseTrain(int Chan, int ON_Division, int OFF_Division, int START_Division)
{
    BusyGuard guard(*this);
    LastChange = Outcome::Refused;
    const int scale = wordRead(kReadScale);
    if (CommError || scale == PLSReadFailed)
        return false;
    if (ON_Division <= 0 || OFF_Division <= 0) {
        refusePulseTrain(QStringLiteral("ON Division and OFF Division Must be Greater Than 0."));
        return false;
    }
    if (scale % (ON_Division + OFF_Division) != 0) {
        refusePulseTrain(QStringLiteral("ON Division Plus OFF Division") + CRLF + QStringLiteral("Must be a Multiple of ") +
                         QString::number(scale) + QStringLiteral("."));
        return false;
    }
    // Each division travels as one byte.
    if (ON_Division > 255 || OFF_Division > 255) {
        refusePulseTrain(QStringLiteral("ON Division and OFF Division Must Not be Greater Than 255."));
        return false;
    }
    if (START_Division > scale - 1 || START_Division < 0) {
        refusePulseTrain(QStringLiteral("Start Position Must Not Be Greater Than ") + QString::number(scale - 1) +
                         QStringLiteral("."));
        return false;
    }
    // The second pair carries ON in its low byte and OFF in its high byte.
    LastChange = channelCommand(kChannelPulseTrain, Chan, START_Division, OFF_Division * 256 + ON_Division, 0);
    // A train that may have been programmed is not reported as refused: the caller reads it back.
    if (LastChange == Outcome::Lost)
        return false;
    if (LastChange != Outcome::Done) {
        msgBox(QStringLiteral("Error Encountered while Programming Pulse Train.") + CRLF + CRLF +
                   QStringLiteral("PLS Channel will not be Programmed."),
               Buttons::Ok, Icon::Information, kPulseTitle);
        return false;
    }
    return !CommError;
}

bool RSComm::ClearPLSChan(int Chan)
{
    BusyGuard guard(*this);
    LastChange = channelCommand(kChannelSetpoint, Chan, 0, 0, 0);
    return LastChange == Outcome::Done;
}

RSComm::Result RSComm::RecallChannel(int Chan)
{
    BusyGuard guard(*this);
    // A reply that did not come is a lost one unless the link itself failed.
    const auto noAnswer = [this] { return CommError ? Outcome::CommFailed : Outcome::Lost; };
    auto failed = [this](int state, Outcome outcome) {
        m_channelRecallState = state;
        m_channelRecallPos = 0;
        CurrentMode = 0;
        return Result{outcome};
    };
    if (!SetPLCMode(kModeRecall, kChannelRecall))
        return failed(CommError ? 0 : 2, noAnswer());
    if (CommError)
        return failed(2, Outcome::CommFailed);
    const int ack = SendByte(Chan & 0xFF);
    if (ack == NoReply)
        return failed(CommError ? 0 : 2, noAnswer());
    if (ack != kAck) {
        // The board may be waiting to give the point all the same.
        letExchangeLapse();
        return failed(2, Outcome::Refused);
    }
    // Whether a board that answered late has moved on to its next point cannot be told.
    if (droppedIfStale())
        return failed(2, Outcome::Lost);
    // Each answer but the last is followed by the next 55h, which a board that dropped the recall
    // meanwhile would take for something else.
    const auto answer = [this](int previous) {
        if (previous == NoReply || droppedIfStale())
            return NoReply;
        return SendByte(kAck);
    };
    const int state = SendByte(kAck);
    const int low = answer(state);
    const int high = answer(low);
    if (high == NoReply || CommError)
        return failed(0, noAnswer());
    if (high > kRecallHighestHigh)
        return failed(2, Outcome::Refused);
    m_channelRecallState = state;
    m_channelRecallPos = high * 256 + low;
    CurrentMode = 0;
    return Result{};
}

bool RSComm::SetPLSOffset(int Position)
{
    BusyGuard guard(*this);
    const int offset = wordRead(kReadOffset);
    const int position = CommError ? PLSReadFailed : wordRead(kReadPosition);
    const int scale = CommError ? PLSReadFailed : wordRead(kReadScale);
    if (CommError || offset == PLSReadFailed || position == PLSReadFailed || scale == PLSReadFailed)
        return false;
    // The new offset is taken modulo the scale: a board that reports no scale cannot be given one.
    if (scale <= 0)
        return false;
    if (Position > scale) {
        msgBox(QStringLiteral("Desired Position cannot be greater than Scale Factor of ") + QString::number(scale) +
                   QStringLiteral(".") + CRLF + CRLF + QStringLiteral("PLS Offset will not be Programmed."),
               Buttons::Ok, Icon::Exclamation, QStringLiteral("Set PLS Offset"));
        return false;
    }
    const int newOffset = (((offset + position) % scale + scale - Position) % scale + scale) % scale;
    return wordWriteReadBack(kWriteOffset, newOffset, kReadOffset);
}

bool RSComm::PLSConfigDownload(const std::array<int, 24>& CfgParam, int ScaleFactor)
{
    BusyGuard guard(*this);
    // Every value travels as one byte and the scale as one word: a value that does not fit (from a
    // file written elsewhere) would reach the board as another value, so nothing is sent.
    const auto isByte = [](int v) { return v >= 0 && v <= 255; };
    if (!std::all_of(CfgParam.begin(), CfgParam.end(), isByte) || ScaleFactor < 0 || ScaleFactor > 65535)
        return false;
    for (int b = 0; b < 4; ++b) {
        // A block whose confirmation was lost is sent again: the same values written twice leave
        // the board as once, and the board gives its blocks back in another layout only.
        Outcome outcome = blockWrite(kConfigBlocks[b], CfgParam.data() + 6 * b);
        if (outcome == Outcome::Lost)
            outcome = blockWrite(kConfigBlocks[b], CfgParam.data() + 6 * b);
        if (outcome != Outcome::Done)
            return false;
    }
    return wordWriteReadBack(kWriteScale, ScaleFactor, kReadScale);
}

std::array<int, 19> RSComm::PLSConfigUpload()
{
    BusyGuard guard(*this);
    bool ok = !CommError && SetPLCMode(kModeConfigUpload, kConfigUpload);
    for (std::size_t k = 0; ok && k < m_plsConfig.size(); ++k) {
        const int value = SendByte(kAck);
        ok = value != NoReply && !CommError && (k + 1 == m_plsConfig.size() || !droppedIfStale());
        if (ok)
            m_plsConfig[k] = value;
    }
    CurrentMode = 0;
    if (!ok)
        msgBox(QStringLiteral("Not able to Upload Configuration from PLS."), Buttons::Ok, Icon::Exclamation,
               QStringLiteral("PLS Upload"));
    return m_plsConfig;
}
