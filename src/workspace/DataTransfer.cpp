#include "workspace/DataTransfer.h"

#include "comm/RSComm.h"
#include "platform/FileLookup.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>

AddressSpan ldtImageSpan(int boardCode)
{
    if (boardCode == 50)
        return {0, 8175};
    if (boardCode == 68)
        return {0, 7167};
    return {70, 219};
}

AddressSpan standardRange(int boardCode)
{
    if (boardCode == 50)
        return {32, 8175};
    if (boardCode == 68)
        return {32, 7167};
    return {70, 219};
}

bool skippedOnDownload(int boardCode, int address)
{
    return (boardCode == 50 || boardCode == 68) && address >= 156 && address <= 511;
}

namespace {
int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= ':' && c <= '?')
        return c - ':' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

LdtContents parseLdt(const QByteArray& fileData, int boardCode)
{
    LdtContents out;
    qsizetype end = 0;
    while (end < fileData.size() && fileData[end] != '\r' && fileData[end] != '\n')
        ++end;
    const QByteArray line = fileData.left(end).trimmed();
    if (line.isEmpty()) {
        out.empty = true;
        return out;
    }
    if (line.size() % 2 != 0) {
        out.error = QStringLiteral("It holds an odd number of digits.");
        return out;
    }
    const int capacity = ldtImageSpan(boardCode).count();
    if (line.size() / 2 > capacity) {
        out.error = QStringLiteral("It holds ") + QString::number(line.size() / 2) +
                    QStringLiteral(" bytes; the board's image has ") + QString::number(capacity) + QStringLiteral(".");
        return out;
    }
    out.bytes.reserve(line.size() / 2);
    for (qsizetype i = 0; i < line.size(); i += 2) {
        const int high = digitValue(line[i]);
        const int low = digitValue(line[i + 1]);
        if (high < 0 || low < 0) {
            out.error = QStringLiteral("Byte ") + QString::number(i / 2 + 1) +
                        QStringLiteral(" is not written in hexadecimal digits.");
            out.bytes.clear();
            return out;
        }
        out.bytes.push_back(high * 16 + low);
    }
    return out;
}

QString ldtLine(const std::vector<int>& bytes)
{
    QString hex;
    hex.reserve(static_cast<qsizetype>(bytes.size()) * 2);
    for (const int b : bytes)
        hex += QString::number(b & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return boardTables().HEX2MarkHEX(hex);
}

QStringList datafileItems(const QByteArray& fileData)
{
    QStringList items;
    ItemReader reader(fileData);
    while (!reader.atEnd())
        items << reader.readItem();
    while (!items.isEmpty() && items.last().trimmed().isEmpty())
        items.removeLast();
    return items;
}

namespace {

const QString kTransferTitle = QStringLiteral("TransferData");
const QString kDatafileTitle = QStringLiteral("Download Datafile");

void info(const QString& text, const QString& title) { msgBox(text, Buttons::Ok, Icon::Information, title); }

// The box of a transfer stopped by a wrong echo from the board (a link failure has had its own box
// already): `what` did not complete, `detail` says where it stopped.
void halted(const QString& what, const QString& detail)
{
    msgBox(what + QStringLiteral(" Not Complete!") + CRLF + CRLF + detail, Buttons::Ok, Icon::Critical,
           kTransferTitle);
}

// After RSWrite of `address`: false, after the box that says so, when its echo stayed wrong, so
// the download stops there rather than going on as if the value were written.
bool written(const QString& what, const QString& address)
{
    if (gRSComm->CommError || !gRSComm->LastWriteFailed)
        return true;
    halted(what, QStringLiteral("Writing ") + address + QStringLiteral(" failed; the download stopped there."));
    return false;
}

// One turn of the event loop before each address or item, so Cancel and painting work; false when
// the transfer is to stop here.
bool goOn(frmWaitDisplay& display)
{
    QApplication::processEvents();
    return !display.CancelFlag && gRSComm && !gRSComm->CommError;
}

// The line of the address in hand and the progress bar. Each time they change the window is laid
// out and painted again, which takes about half a millisecond, a quarter of an address's exchanges:
// done for every address, or even every 50 ms, that was a percent or more of the transfer. A user
// reads them a few times a second, so they are shown every 250 ms, and as they stand at the end.
class Progress {
public:
    explicit Progress(frmWaitDisplay& display)
        : m_display(display), m_value(display.pbrWaitDisplay->value()),
          m_labelMin(display.lblWaitDisplay->minimumSize()), m_labelMax(display.lblWaitDisplay->maximumSize())
    {
        // The label is wide enough for every line already: at a fixed size a new line is only
        // painted, the window is not laid out again for it.
        if (display.isVisible())
            display.lblWaitDisplay->setFixedSize(display.lblWaitDisplay->size());
        m_clock.start();
    }
    // The wait display serves other operations afterwards: its label gets its own size back.
    ~Progress()
    {
        flush();
        m_display.lblWaitDisplay->setMinimumSize(m_labelMin);
        m_display.lblWaitDisplay->setMaximumSize(m_labelMax);
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(const QString& line)
    {
        m_line = line;
        if (due())
            flush();
    }
    void advance()
    {
        ++m_value;
        if (due())
            flush();
    }

private:
    static constexpr qint64 kIntervalMs = 250;
    bool due() const { return m_clock.elapsed() >= kIntervalMs; }
    void flush()
    {
        m_clock.restart();
        if (!m_line.isEmpty())
            m_display.lblWaitDisplay->setText(m_line);
        m_display.pbrWaitDisplay->setValue(m_value);
    }
    frmWaitDisplay& m_display;
    int m_value;
    QSize m_labelMin;
    QSize m_labelMax;
    QString m_line;
    QElapsedTimer m_clock;
};

// The LDT file of the transfer, checked whole. nullopt when the transfer may not go on (the user
// has been told); an empty image when there is no file or it is empty and `required` is false.
std::optional<std::vector<int>> readImage(int code, bool required, const QString& title)
{
    const QString path = findCaseInsensitive(gDataXferFile);
    if (!QFileInfo(path).isFile()) {
        if (required)
            info(QStringLiteral("Unable to Open Data File,") + CRLF + QStringLiteral("File Does Not Exist."), title);
        return required ? std::nullopt : std::optional(std::vector<int>{});
    }
    QString error;
    const auto data = readWholeFile(path, &error);
    if (!data) {
        msgBox(errorText(75, error), Buttons::Ok, Icon::Critical, kTransferTitle);
        return std::nullopt;
    }
    LdtContents ldt = parseLdt(*data, code);
    if (!ldt.error.isEmpty()) {
        info(QStringLiteral("Unable to Use Data File ") + path + QStringLiteral(".") + CRLF + CRLF + ldt.error, title);
        return std::nullopt;
    }
    if (ldt.empty && required) {
        info(QStringLiteral("Unable to Open Data File."), title);
        return std::nullopt;
    }
    return std::move(ldt.bytes);
}

void downloadBoardData(frmWaitDisplay& display)
{
    const int code = gDataXferBoardType;
    const auto image = readImage(code, true, QStringLiteral("Data Download"));
    if (!image)
        return;
    const int first = ldtImageSpan(code).first;
    Progress progress(display);
    for (int a = gDataXferFrom; a <= gDataXferTo; ++a) {
        if (!goOn(display))
            return;
        const long index = static_cast<long>(a) - first;
        // Only what the file holds is written: an address it does not reach keeps the board's value.
        if (!skippedOnDownload(code, a) && index >= 0 && index < static_cast<long>(image->size())) {
            const QString value = QString::number((*image)[static_cast<std::size_t>(index)]);
            const QString address = QStringLiteral("B") + QString::number(a);
            progress.show(QStringLiteral("Downloading ") + value + QStringLiteral(" to ") + address);
            gRSComm->RSWrite(address, value);
            if (!written(QStringLiteral("Data Download"), address))
                return;
        }
        progress.advance();
    }
}

void uploadBoardData(frmWaitDisplay& display)
{
    const int code = gDataXferBoardType;
    const auto kept = readImage(code, false, QStringLiteral("Data Upload"));
    if (!kept)
        return;
    const AddressSpan span = ldtImageSpan(code);
    std::vector<int> bytes;
    bytes.reserve(static_cast<std::size_t>(span.count()));
    Progress progress(display);
    for (int a = span.first; a <= span.last; ++a) {
        if (!goOn(display))
            return;
        const std::size_t index = static_cast<std::size_t>(a - span.first);
        if (a < gDataXferFrom || a > gDataXferTo) {
            bytes.push_back(index < kept->size() ? (*kept)[index] : 0);
            continue;
        }
        const QString address = QStringLiteral("B") + QString::number(a);
        QString value = gRSComm->RSRead(address);
        // An answer garbled or held up on the line once costs one more read, not the upload.
        if (gRSComm->LastReadFailed && !gRSComm->CommError)
            value = gRSComm->RSRead(address);
        // A failed read is no byte of the board's: the file keeps what it held.
        if (gRSComm->CommError)
            return;
        if (gRSComm->LastReadFailed) {
            halted(QStringLiteral("Data Upload"),
                   QStringLiteral("Reading ") + address + QStringLiteral(" failed; ") +
                       QFileInfo(findCaseInsensitive(gDataXferFile)).fileName() + QStringLiteral(" not changed."));
            return;
        }
        progress.show(QStringLiteral("Uploaded ") + value + QStringLiteral(" from ") + address);
        bytes.push_back(value.toInt() & 0xFF);
        progress.advance();
    }
    QString error;
    const QString path = findCaseInsensitive(gDataXferFile);
    if (!ItemWriter().printLine(ldtLine(bytes)).save(path, &error))
        msgBox(errorText(75, error), Buttons::Ok, Icon::Critical, kTransferTitle);
}

// The datafile's starting address: the type letter, its step and the first number; nullopt after
// the box that refuses it.
struct DatafileStart {
    QChar letter;
    int step;
    qint64 number;
};

std::optional<DatafileStart> datafileStart(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([BWD])([0-9]{1,9})$"));
    const QString s = text.trimmed().toUpper();
    const auto match = form.match(s);
    if (s.contains(QLatin1Char('.')) || !match.hasMatch()) {
        info(QStringLiteral("Only Byte (Bxxx) or Word (Wyyy) variable types allowed."), kDatafileTitle);
        return std::nullopt;
    }
    DatafileStart start{match.captured(1).at(0), 1, match.captured(2).toLongLong()};
    const QString name = QString(start.letter) + QString::number(start.number);
    if (start.letter == QLatin1Char('B')) {
        if (start.number < 32) {
            info(QStringLiteral("Address ") + name + QStringLiteral(" is out of range."), kDatafileTitle);
            return std::nullopt;
        }
        return start;
    }
    start.step = start.letter == QLatin1Char('W') ? 2 : 4;
    if (start.number % 2 != 0 || start.number < 32) {
        info(QStringLiteral("Address ") + name + QStringLiteral(" is invalid or out of range."), kDatafileTitle);
        return std::nullopt;
    }
    return start;
}

// The decimal text of a whole-number item ("+007" gives "7"); empty when the item is not one.
QString wholeNumberText(const QString& item)
{
    static const QRegularExpression whole(QStringLiteral("^([+-]?)0*([0-9]+)$"));
    const auto match = whole.match(item.trimmed());
    if (!match.hasMatch())
        return {};
    const QString digits = match.captured(2);
    return (match.captured(1) == QLatin1String("-") && digits != QLatin1String("0") ? QStringLiteral("-")
                                                                                      : QString()) +
           digits;
}

void downloadDatafile(frmWaitDisplay& display)
{
    const auto start = datafileStart(frmWaitDisplay::startingAddress());
    if (!start)
        return;
    QString error;
    const auto data = readWholeFile(findCaseInsensitive(gDataXferFile), &error);
    if (!data) {
        msgBox(errorText(53, error), Buttons::Ok, Icon::Critical, kTransferTitle);
        return;
    }
    // Every item is checked to be a whole number before the first is written, so such a bad file
    // sends nothing. Whether a value fits its variable is RSWrite's check, value by value: a value
    // too large gets its box and the others are still written.
    const QStringList items = datafileItems(*data);
    QStringList values;
    for (qsizetype i = 0; i < items.size(); ++i) {
        values << wholeNumberText(items[i]);
        if (values.last().isEmpty()) {
            const QString shown = items[i].size() > 40 ? items[i].left(40) + QStringLiteral("...") : items[i];
            info(QStringLiteral("Item ") + QString::number(i + 1) + QStringLiteral(" of the datafile, \"") + shown +
                     QStringLiteral("\", is not a whole number.") + CRLF + QStringLiteral("Nothing was sent."),
                 kDatafileTitle);
            return;
        }
    }
    const qint64 lastByte = start->number + static_cast<qint64>(values.size()) * start->step - 1;
    if (lastByte > 65535) {
        info(QStringLiteral("The datafile's ") + QString::number(values.size()) + QStringLiteral(" values from ") +
                 start->letter + QString::number(start->number) + QStringLiteral(" run past address 65535.") + CRLF +
                 QStringLiteral("Nothing was sent."),
             kDatafileTitle);
        return;
    }
    qint64 n = start->number;
    Progress progress(display);
    for (const QString& value : values) {
        if (!goOn(display))
            return;
        const QString address = QString(start->letter) + QString::number(n);
        progress.show(QStringLiteral("Downloading ") + value + QStringLiteral(" to ") + address);
        gRSComm->RSWrite(address, value);
        if (!written(QStringLiteral("Datafile Download"), address))
            return;
        n += start->step;
        progress.advance();
    }
}

} // namespace

void TransferData(frmWaitDisplay& display)
{
    display.pbrWaitDisplay->setRange(0, qMax(gDataXferTo + 1, 1));
    display.pbrWaitDisplay->setValue(gDataXferFrom);
    if (!gRSComm)
        return;
    switch (gDataXferMode) {
    case 1:
        downloadBoardData(display);
        break;
    case 2:
        uploadBoardData(display);
        break;
    case 3:
        downloadDatafile(display);
        break;
    default:
        break;
    }
}
