#include "platform/CommPort.h"

#include "platform/Clock.h"
#include "platform/Install.h"

#include <QFileInfo>
#include <QSerialPort>

QString deviceForPort(int port)
{
    const QString link = installPath(QStringLiteral("support/ports/COM%1").arg(port));
    if (QFileInfo::exists(link))
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

int settingsBaud(const QString& settings)
{
    bool ok = false;
    const int baud = settings.section(QLatin1Char(','), 0, 0).trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : 9600;
}

SerialCommPort::SerialCommPort() : m_port(std::make_unique<QSerialPort>()) {}

SerialCommPort::~SerialCommPort() = default;

namespace {
// Numbers in the range the old serial control used for its own errors, so the box reads alike.
int errorNumber(QSerialPort::SerialPortError e)
{
    switch (e) {
    case QSerialPort::DeviceNotFoundError: return 8002;   // invalid port number
    case QSerialPort::OpenError: return 8005;             // port already open
    case QSerialPort::PermissionError: return 8010;       // device busy or not permitted
    case QSerialPort::UnsupportedOperationError: return 8015;
    default: return 8012;
    }
}
} // namespace

std::optional<PortError> SerialCommPort::open()
{
    if (m_port->isOpen())
        return PortError{8005, QStringLiteral("CommPort"), QStringLiteral("Port already open")};
    const QString device = QFileInfo(deviceForPort(commPort())).canonicalFilePath();
    m_port->setPortName(device.isEmpty() ? deviceForPort(commPort()) : device);
    m_in.clear();
    if (!m_port->open(QIODevice::ReadWrite)) {
        PortError err{errorNumber(m_port->error()), QStringLiteral("CommPort ") + m_port->portName(),
                      m_port->errorString()};
        if (m_port->error() == QSerialPort::PermissionError)
            err.description += QStringLiteral(" (is the user in the dialout group?)");
        m_port->clearError();
        return err;
    }
    m_port->setBaudRate(settingsBaud(settings()));
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    return std::nullopt;
}

void SerialCommPort::close()
{
    if (m_port->isOpen())
        m_port->close();
    m_in.clear();
}

bool SerialCommPort::isOpen() const { return m_port->isOpen(); }

void SerialCommPort::fill()
{
    if (m_port->isOpen() && m_port->bytesAvailable() > 0)
        m_in += m_port->readAll();
}

int SerialCommPort::inBufferCount()
{
    fill();
    return static_cast<int>(m_in.size());
}

void SerialCommPort::clearInput()
{
    if (!m_port->isOpen())
        return;
    // Take in what the driver already holds, then drop it all.
    m_port->waitForReadyRead(0);
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_in.clear();
}

int SerialCommPort::readByte()
{
    fill();
    if (m_in.isEmpty())
        return -1;
    const int b = static_cast<unsigned char>(m_in.at(0));
    m_in.remove(0, 1);
    return b;
}

void SerialCommPort::write(const QByteArray& bytes)
{
    if (!m_port->isOpen())
        return;
    m_port->write(bytes);
    // The exchange waits for the reply without an event loop, so push the bytes out now: straight
    // to the device when it takes them (the usual case, no wait), else waiting until it can.
    m_port->flush();
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(1000))
            break;
    }
}

bool SerialCommPort::waitForByte(qint64 deadlineMs)
{
    if (!m_port->isOpen())
        return false;
    for (;;) {
        if (inBufferCount() > 0)
            return true;
        const qint64 left = deadlineMs - monotonicMs();
        if (left <= 0)
            return false;
        // Sleeps in the poll of the port's descriptor until data or the deadline.
        m_port->waitForReadyRead(static_cast<int>(qMin<qint64>(left, 1000000)));
    }
}
