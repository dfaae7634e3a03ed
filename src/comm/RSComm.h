#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <span>

class CommPort;

// The controller boards a status table or a trend is set up for, in the order of their lists; row 0,
// "(none)", is no board (code 0).
struct ControllerBoardRow {
    const char* name;
    int code;
};
std::span<const ControllerBoardRow> controllerBoardRows();
// The board code of a list row; 0 for a row outside the list.
int controllerBoardCode(int row);

// The only path between the system and a target board. One instance, gRSComm, lives from the main
// window's load to its unload. Every exchange is one byte written and a blocking wait for one reply
// byte on the GUI thread; nothing is driven by port events.
//
// The class is split over several files by family of operations: RSComm.cpp (port, one-byte
// exchange, mode handshake, variable read and write), RSCommTables.cpp (board table, address rules,
// conversions, fault lookup), RSCommProgram.cpp (program download and upload with the identity,
// revision, configuration and HEX files), RSCommPLS.cpp (the limit-switch commands).
class RSComm {
public:
    RSComm();
    ~RSComm();
    RSComm(const RSComm&) = delete;
    RSComm& operator=(const RSComm&) = delete;

    // Link flags, read and written directly by every window.
    bool OnlineMode = false;
    bool CommError = false;
    bool CommErrorAlert = false;
    int TargetboardType = 0;

    // True when the last RSRead failed (communication error or echo mismatch), so that a caller
    // can tell its "0" from a real 0.
    bool LastReadFailed = false;
    // True when the last RSWrite's echo was still wrong after its one repeat: the board may not
    // hold the value. A value refused before sending, or a link failure (CommError), leaves it false.
    bool LastWriteFailed = false;
    // True when a reply was lost during the last public operation and FFh had to be sent again (what
    // came back may answer that FFh rather than the byte sent), or came so late that the board may
    // have dropped the exchange meanwhile: the exchange gave no answer. The link itself is not in
    // error; the next exchange starts with a fresh handshake. The next public operation clears it,
    // so it is read right after the operation, before anything that runs the event loop (a box);
    // operations whose callers show a box first return their own outcome.
    bool ReplyLost = false;

    // True while a public operation is running. Message boxes inside an exchange run the event loop,
    // so timer ticks and polling passes test this and skip rather than re-enter the link.
    bool Busy() const { return m_busy > 0; }

    // --- settings and port
    static QString CommSettingsFile();
    // The port numbers that exist; the comm-port dialog's spinner takes its bounds from here.
    static constexpr int PortMinimum = 1;
    static constexpr int PortMaximum = 99;
    // The port and speed that a settings file's text holds, read one way for the link and the
    // comm-port dialog alike: the port bounded to the ports that exist, any speed but 19200 as 9600.
    struct CommSettings {
        int port = 1;
        int speed = 9600;
    };
    static CommSettings readCommSettings(const QByteArray& data);
    void OpenRSComm(CommPort& CommObj);
    void CloseRSComm();

    // --- variables
    QString RSRead(const QString& Address);
    void RSWrite(const QString& Address, const QString& DataValue);

    // --- board table, addresses, conversions, faults
    QString TargetboardName(int BoardType) const;
    QString LCFBoardIndex(int BoardType) const;
    bool ValidAdd(const QString& Address, int TargetBoardIndex) const;
    QString EquateAdd(const QString& Address, int TargetBoardIndex) const;
    QString MarkHex2HEX(QString& MarkHEX) const;
    QString HEX2MarkHEX(QString& HexCode) const;
    int Dec2Octal(int DecNum) const;
    int Octal2Dec(int OctNum) const;
    int FaultCode();
    // The current fault code, or nothing when the board's answer was not had (a reply lost on the
    // line, a wrong echo, a link that failed): no code is not the same as code 0.
    std::optional<int> readFaultCode();
    QString FaultDescription(int FltCode);
    int FirmwareRev();

    // --- program transfer state, polled by the transfer window between records
    bool InProgramMode() const { return m_inProgramMode; }
    bool InUploadMode() const { return m_inUploadMode; }
    void InUploadMode(bool UploadMode) { m_inUploadMode = UploadMode; }
    QString CurrentProgramAdd() const { return m_currentProgramAdd; }
    bool WritingIdent() const { return m_writingIdent; }
    bool ReadingIdent() const { return m_readingIdent; }
    bool ValidProgram() const { return m_validProgram; }

    // --- program preparation and transfer
    void DownloadFile(const QString& CVP_FileName);
    void UploadFile(const QString& CVP_FileName);
    void DumpProgram();
    void UploadProgram();

    // Run once per record of a download or upload so that the transfer window's timer can show
    // progress. Unset, the application's event loop runs once (when there is an application).
    std::function<void()> RecordYield;

    // What became of one command on the board. It is the caller's alone: nothing that runs after
    // the command (a status-poll tick while the caller's box is up) can change it.
    // Refused: the board did not carry it out. Lost: the answer that would confirm it was lost, late
    // or garbled, so the board may have carried it out or not; only reading the board tells.
    enum class Outcome { Done, Refused, Lost, CommFailed };
    struct Result {
        Outcome outcome = Outcome::Done;
        explicit operator bool() const { return outcome == Outcome::Done; }
    };
    // What became of the last SingleSetpoint, PulseTrain or ClearPLSChan: their callers read the
    // channel back when it is Lost, before deciding whether the change failed. Read right after the
    // call, as ReplyLost is.
    Outcome LastChange = Outcome::Done;
    // What became of the clear that SingleSetpoint sends before its pair when asked to (ClearChan):
    // unless it is Done the pair was not sent, and LastChange is the clear's.
    Outcome LastClearFirst = Outcome::Done;

    // --- limit switch
    QString PLSScaleFactor();
    QString PLSOffset();
    QString PLSPos();
    QString PLSRpm();
    int ChannelRecallPos() const { return m_channelRecallPos; }
    int ChannelRecallState() const { return m_channelRecallState; }
    bool SingleSetpoint(int Chan, int OnSetpoint, int OffSetpoint, bool ClearChan);
    // True when both setpoints lie on a scale of Scale positions; else the box SingleSetpoint shows
    // for a setpoint off the scale, and False.
    static bool SetpointsInScale(int OnSetpoint, int OffSetpoint, int Scale);
    bool PulseTrain(int Chan, int ON_Division, int OFF_Division, int START_Division);
    bool ClearPLSChan(int Chan);
    // Refused: the board gave no point (a wrong acknowledgement, a position off every scale);
    // Lost: a reply was lost on the line, and the board may have moved on to its next point.
    Result RecallChannel(int Chan);
    bool SetPLSOffset(int Position);
    bool PLSConfigDownload(const std::array<int, 24>& CfgParam, int ScaleFactor);
    std::array<int, 19> PLSConfigUpload();

    // Reply value of an exchange that got no reply.
    static constexpr int NoReply = 9999;
    // Value of a limit-switch word read that failed.
    static constexpr int PLSReadFailed = -9999;

protected:
    // Holds the busy flag for the length of a public operation.
    class BusyGuard {
    public:
        explicit BusyGuard(RSComm& c) : m_c(c)
        {
            if (m_c.m_busy++ == 0)
                m_c.ReplyLost = false;
        }
        ~BusyGuard() { --m_c.m_busy; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        RSComm& m_c;
    };

    bool InitializeRSComm(CommPort& CommObj);
    // One byte and its reply. A reply that comes only after FFh was sent again counts as none
    // (NoReply with CommError clear, ReplyLost set).
    int SendByte(int value, bool NoReply = false, bool ClearInput = false);
    // The resynchronising FFh of a handshake: the bytes sent again are the same FFh, so whatever
    // answers one of them answers it. `late` tells whether it came only after FFh was sent again
    // (the line has been emptied since).
    int SendSync(bool ClearInput = false, bool* late = nullptr);
    bool SetPLCMode(int mode, int modeByte);
    QString ReadVariable(const QString& Address);
    void WriteVariable(const QString& Address, const QString& DataValue);
    void ParseAddress(const QString& Address);
    bool portOpen() const;

public:
    // An address text split by the one grammar that the address check and the parser share, so
    // that what is checked is what goes on the wire: hexadecimal digits and "H" (a byte address);
    // a letter and decimal digits; or a letter of B, I, X or Y, decimal digits, "." and a bit 0-7.
    // Blanks around the text are ignored; any other text names no address, nor does a number past
    // FFFFh.
    struct AddressForm {
        enum Kind { Invalid, Hex, Plain, Bit } kind = Invalid;
        bool tooLarge = false; // invalid only because the number is past FFFFh
        QChar letter;          // in capitals; B for the hexadecimal form
        long number = 0;
        int bit = 0;
    };
    static AddressForm splitAddress(const QString& Address);

protected:
    CommPort* CommObj = nullptr;
    int CurrentMode = 0;
    bool PortSetupFailed = false;
    bool WriteEchoError = false;
    QString AddrType;
    long ByteAddress = 0;
    int BitMask = 1;
    bool IsBit = false;
    QString LastReadAddress;
    int LastByteCount = 0;
    std::array<int, 4> ReadBytes{};

    // Program transfer (RSCommProgram.cpp).
    QString CvpFile, RevFile, HexFile, LcfFile;
    int ProgramBoardType = 0;
    QString ProgramBoardName;
    QString ProgramIdent = QStringLiteral("Unknown");
    QString ProgramRevision = QStringLiteral("Unknown");
    QString ProgramChecksum = QStringLiteral("Unknown");
    int ConfigA = 3, ConfigB = 0, ConfigC = 3;

private:
    bool readSettings(int& port, QString& speed);
    int exchangeByte(int value, bool noReply, bool clearInput, bool sync, bool* late);
    int lateAnswer(int reply, int owed, qint64 until, bool sync, bool* late);
    // Reads off the line until it has been quiet for `quietMs`, then empties it: nothing is left in
    // flight to be taken for the answer to what is sent next.
    void settleLine(int quietMs);
    // After an answer that shows the board may be in the middle of an exchange (a wrong echo or
    // acknowledgement): nothing goes out until the line has been quiet as long as the wait before
    // FFh is sent again, by which time the board has dropped what it half received. Anything sent
    // sooner, even FFh, would be taken as the rest of that exchange.
    void letExchangeLapse();
    // The last reply in time came so late that the board, silent since it answered, may have
    // dropped the exchange: what is sent next would start a new one.
    bool replyStale() const;
    // One more exchange in a row without an answer in time; after kLostInARow the communication box.
    // False when the user cancelled it (CommError is then set).
    bool lostOneMore();
    qint64 m_replyTookMs = 0;
    int m_busy = 0;
    // Exchanges in a row whose answers came late (only after FFh was sent again, or so late that the
    // board may have dropped the exchange); at kLostInARow the link counts as not working, as when the
    // board does not answer at all.
    int m_lostInARow = 0;
    static constexpr int kLostInARow = 3;
    // Set when a reply came late or an argument went unacknowledged, until a handshake has counted
    // its answers in a row.
    bool m_argumentsMayBePending = false;
    // The most argument bytes a command takes (the channel commands and configuration blocks).
    static constexpr int kLongestArguments = 6;

    // Program transfer helpers (RSCommProgram.cpp).
    void setProgramFiles(const QString& cvpFileName, QString* readError = nullptr);
    bool readRevFile();
    bool readLcfFile();
    void yieldOnce();
    bool writeByteVariable(long address, int value);
    bool readBoardByte(long address, int& value);
    bool sendRecord(const QByteArray& record, int& reply);
    void endDump(bool online);
    bool readUploadConfig();
    bool m_inProgramMode = false;
    bool m_inUploadMode = false;
    bool m_writingIdent = false;
    bool m_readingIdent = false;
    bool m_validProgram = false;
    QString m_currentProgramAdd = QStringLiteral(" ");

    // Limit-switch helpers (RSCommPLS.cpp).
    int wordRead(int command);
    Outcome wordWrite(int command, int value);
    // A word write whose confirmation was lost is read back with `readCommand`.
    bool wordWriteReadBack(int command, int value, int readCommand);
    Outcome channelCommand(int command, int channel, int s1, int s2, int flag);
    Outcome blockWrite(int command, const int* values);
    Outcome changingCommand(int mode, int command, std::span<const int> arguments);
    Outcome sendArguments(std::span<const int> arguments);
    Outcome readyPoll();
    // The answer just had came so late that the board may have dropped the exchange: nothing more of
    // it goes out, the line is let fall quiet, and the exchange counts as having had no answer.
    bool droppedIfStale();
    int m_channelRecallState = 0;
    int m_channelRecallPos = 0;
    std::array<int, 19> m_plsConfig{};
};

// The text of `code` in the bytes of a fault or communication-error code file (lines of a
// two-digit code and its text; the first line whose code matches, without regard to case, wins).
std::optional<QString> codeFileText(const QByteArray& data, const QString& code);
// True for the board type codes of the limit-switch boards.
bool isLimitSwitchBoard(int code);
// A program ident as every window shows it: without the characters whose codes are up to 31, such
// as the NUL bytes that pad a short ident or make up one uploaded from a blank board. The files
// and the board keep the bytes as they are.
QString shownIdent(const QString& ident);
// The board type code the bytes of a Corvane file name: the character code of its first item's
// first character; 0 when that item is empty.
int cvpBoardCode(const QByteArray& cvpData);
