#pragma once
#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSerialPort;

// Why a port could not be opened, in the parts the "Comm Port Error" box shows.
struct PortError {
    int number = 0;
    QString source;
    QString description;
};

// The serial-port control: port number and settings text as the old control had them, one byte
// read at a time, and a wait for the next byte that sleeps until it comes or the deadline passes
// (so waiting for the board never spins the CPU).
class CommPort {
public:
    virtual ~CommPort() = default;

    int commPort() const { return m_commPort; }
    void setCommPort(int port) { m_commPort = port; }
    // Speed, parity, data bits, stop bits: "9600,n,8,1".
    QString settings() const { return m_settings; }
    void setSettings(const QString& settings) { m_settings = settings; }

    virtual std::optional<PortError> open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int inBufferCount() = 0;
    virtual void clearInput() = 0;
    // The next received byte, or -1 when none is waiting.
    virtual int readByte() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // True as soon as a byte is waiting; false when the monotonic deadline passed first.
    virtual bool waitForByte(qint64 deadlineMs) = 0;

private:
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
};

// The device that port number n names: <installation>/support/ports/COMn when that exists (a link
// to a USB adapter or a pseudo-terminal), else /dev/ttyS<n-1>.
QString deviceForPort(int port);

// Speed of a settings text ("19200,n,8,1" gives 19200); 9600 when it cannot be read.
int settingsBaud(const QString& settings);

class SerialCommPort : public CommPort {
public:
    SerialCommPort();
    ~SerialCommPort() override;

    std::optional<PortError> open() override;
    void close() override;
    bool isOpen() const override;
    int inBufferCount() override;
    void clearInput() override;
    int readByte() override;
    void write(const QByteArray& bytes) override;
    bool waitForByte(qint64 deadlineMs) override;

private:
    void fill();

    std::unique_ptr<QSerialPort> m_port;
    QByteArray m_in;
};
