#pragma once
#include <QString>
#include <array>

class CommPort;

// The only path between the system and a target board. One instance, gRSComm, lives from the main
// window's load to its unload. Every exchange is one byte written and a blocking wait for one reply
// byte on the GUI thread; nothing is driven by port events.
//
// The class is split over several files by family of operations: RSComm.cpp (port, one-byte
// exchange, mode handshake, variable read and write), RSCommTables.cpp (board table, address rules,
// conversions, fault lookup).
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

    // True while a public operation is running. Message boxes inside an exchange run the event loop,
    // so timer ticks and polling passes test this and skip rather than re-enter the link.
    bool Busy() const { return m_busy > 0; }

    // --- settings and port
    QString CommSettingsFile() const;
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
    QString FaultDescription(int FltCode);
    int FirmwareRev();

    // Reply value of an exchange that got no reply.
    static constexpr int NoReply = 9999;

protected:
    // Holds the busy flag for the length of a public operation.
    class BusyGuard {
    public:
        explicit BusyGuard(RSComm& c) : m_c(c) { ++m_c.m_busy; }
        ~BusyGuard() { --m_c.m_busy; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        RSComm& m_c;
    };

    bool InitializeRSComm(CommPort& CommObj);
    int SendByte(int value, bool NoReply = false, bool ClearInput = false);
    bool SetPLCMode(int mode, int modeByte);
    QString ReadVariable(const QString& Address);
    void WriteVariable(const QString& Address, const QString& DataValue);
    void ParseAddress(const QString& Address);
    bool portOpen() const;

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

private:
    bool readSettings(int& port, QString& speed);
    int m_busy = 0;
};
