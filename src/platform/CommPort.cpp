#include "platform/CommPort.h"

#include "platform/Clock.h"
#include "platform/Install.h"

#include <QFileInfo>
#include <QSerialPort>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

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

// QSerialPort opens and configures the device; the exchange itself reads and writes its
// descriptor directly. A one-byte exchange is a write and a sleep in poll() until the reply:
// going through QSerialPort's buffers and its waitFor calls costs several times the wire time
// of a byte. Bytes that QSerialPort itself took in (its notifier runs whenever the event loop
// does) are taken from it first, so nothing is lost between the two paths.
void SerialCommPort::fill()
{
    if (!m_port->isOpen())
        return;
    if (m_port->bytesAvailable() > 0)
        m_in += m_port->readAll();
    char buf[256];
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(m_port->handle()), buf, sizeof buf);
        if (n > 0) {
            m_in.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
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
    m_port->clear(QSerialPort::Input);
    fill();
    m_in.clear();
}

int SerialCommPort::readByte()
{
    if (m_in.isEmpty())
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
    const int fd = static_cast<int>(m_port->handle());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{fd, POLLOUT, 0};
            ::poll(&pfd, 1, 1000);
        } else if (!(n < 0 && errno == EINTR)) {
            break;
        }
    }
}

bool SerialCommPort::waitForByte(qint64 deadlineMs)
{
    if (!m_port->isOpen())
        return false;
    const int fd = static_cast<int>(m_port->handle());
    for (;;) {
        if (!m_in.isEmpty())
            return true;
        fill();
        if (!m_in.isEmpty())
            return true;
        const qint64 left = deadlineMs - monotonicMs();
        if (left <= 0)
            return false;
        // Sleeps until the descriptor has data or the deadline passes.
        pollfd pfd{fd, POLLIN, 0};
        ::poll(&pfd, 1, static_cast<int>(qMin<qint64>(left, 1000000)));
    }
}
