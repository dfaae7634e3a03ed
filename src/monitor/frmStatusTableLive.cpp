// The status table's polling loop: the value columns of the visible rows, from the board while
// on-line and from the program's board-data image while off-line.
#include "monitor/frmStatusTable.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/PollingLoop.h"
#include "workspace/modUtility.h"

namespace {
constexpr int kAddressCol = 1;
const QString kNA = QStringLiteral("N/A");

QString hexText(long long v)
{
    return QString::number(v, 16).toUpper();
}

QString binary(long long v)
{
    return Dec2Binary(static_cast<long>(v % 256), 0);
}
} // namespace

void frmStatusTable::RunLiveUpdate()
{
    m_loop->run();
}

bool frmStatusTable::LiveUpdatePass()
{
    if (!gRSComm)
        return false;
    // A message box inside an exchange runs events, and with them this loop: the link is not ours
    // to use until that exchange is over.
    if (gRSComm->Busy())
        return false;
    if (gRSComm->CommError) {
        gRSComm->OnlineMode = false;
        UpdateOnlineStatus();
    }
    return gRSComm->OnlineMode ? RefreshOnlineValues() : RefreshOfflineValues();
}

void frmStatusTable::setValues(int r, const QString& dec, const QString& hex, const QString& high, const QString& low)
{
    fgStatus->setTextMatrix(r, 2, dec);
    fgStatus->setTextMatrix(r, 3, hex);
    fgStatus->setTextMatrix(r, 4, high);
    fgStatus->setTextMatrix(r, 5, low);
}

bool frmStatusTable::passGoesOn(int r, bool online)
{
    if (!m_loop->yield() || !gRSComm)
        return false;
    // Rows may have shifted while the pass yielded: the next pass starts afresh.
    if (TableChanged) {
        TableChanged = false;
        return false;
    }
    if (online ? !gRSComm->OnlineMode : gRSComm->OnlineMode || !OfflineDataShown)
        return false;
    return fgStatus->rowIsVisible(r);
}

bool frmStatusTable::RefreshOnlineValues()
{
    GridModel& g = *fgStatus;
    bool exchanged = false;
    for (int r = g.topRow();; ++r) {
        if (!passGoesOn(r, true))
            return exchanged;
        const QString text = g.textMatrix(r, kAddressCol);
        if (r == EditedRow || text.size() < 2)
            continue;
        const RowAddress a = splitRowAddress(text);
        // An address the table's board does not have (or a text naming none) is never read.
        const QString address = boardAddress(a);
        if (address.isEmpty()) {
            setValues(r, kNA, kNA, kNA, kNA);
            continue;
        }
        const QString value = gRSComm->RSRead(address);
        exchanged = true;
        if (gRSComm->CommError)
            return exchanged;
        // A failed read carries no value; a box shown inside the read may have let the table
        // change under it.
        if (gRSComm->LastReadFailed || TableChanged || !Active || r == EditedRow)
            continue;
        const long long v = value.toLongLong();
        const long long high = v / 256, low = v % 256;
        QString col4, col5;
        if (QStringLiteral("BIXY").contains(a.type)) {
            col5 = a.hasBit() ? value : binary(low);
        } else if (a.type == QLatin1Char('F')) {
            col5 = value;
        } else {
            col4 = binary(high);
            col5 = binary(low);
        }
        setValues(r, value, hexText(v), col4, col5);
    }
}

bool frmStatusTable::RefreshOfflineValues()
{
    if (!OfflineDataShown)
        return false;
    GridModel& g = *fgStatus;
    auto byteAt = [this](long long n) -> long long {
        if (n < 0 || n >= OfflineImage.size())
            return 0;
        bool ok = false;
        const int v = OfflineImage[static_cast<qsizetype>(n)].toInt(&ok, 16);
        return ok ? v : 0;
    };
    for (int r = g.topRow();; ++r) {
        if (!passGoesOn(r, false))
            return false;
        const QString text = g.textMatrix(r, kAddressCol);
        if (r == EditedRow || text.size() < 2)
            continue;
        const RowAddress a = splitRowAddress(text);
        const long long n = a.number;
        const int bit = std::max(a.bit, 0);
        switch (a.valid ? a.type.unicode() : 0) {
        case 'B':
            if (a.hasBit()) {
                const QString b = (byteAt(n) >> bit) & 1 ? QStringLiteral("1") : QStringLiteral("0");
                setValues(r, b, b, QString(), b);
            } else {
                const long long v = byteAt(n);
                setValues(r, QString::number(v), hexText(v), QString(), binary(v));
            }
            break;
        case 'W': {
            const long long v = byteAt(n) + 256 * byteAt(n + 1);
            setValues(r, QString::number(v), hexText(v), binary(byteAt(n + 1)), binary(byteAt(n)));
            break;
        }
        case 'D': {
            const long long v = (byteAt(n + 2) + 256 * byteAt(n + 3)) * 10000 + (byteAt(n) + 256 * byteAt(n + 1));
            setValues(r, QString::number(v), hexText(v), binary(byteAt(n + 1)), binary(byteAt(n)));
            break;
        }
        case 'F': {
            const QString b = (byteAt(32 + n / 8) >> (n % 8)) & 1 ? QStringLiteral("1") : QStringLiteral("0");
            setValues(r, b, b, QString(), b);
            break;
        }
        default:
            setValues(r, kNA, kNA, kNA, kNA);
            break;
        }
    }
}
