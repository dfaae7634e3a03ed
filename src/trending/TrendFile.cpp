#include "trending/TrendFile.h"

#include "platform/TextItems.h"

#include <cmath>

QByteArray trendFileBytes(const QString& address, int boardRow, const std::vector<TrendRow>& rows)
{
    ItemWriter w;
    w.printLine(address);
    w.printNumber(static_cast<qint64>(boardRow)).newLine();
    for (const TrendRow& row : rows)
        w.printLine(row.first + QStringLiteral(", ") + row.second);
    return w.bytes();
}

namespace {

TrendFileContent bad(int number, const QString& description)
{
    TrendFileContent c;
    c.status = TrendFileContent::Status::Bad;
    c.errorNumber = number;
    c.errorDescription = description;
    return c;
}

TrendFileContent pastEnd() { return bad(62, QStringLiteral("Input past end of file")); }

} // namespace

TrendFileContent parseTrendFile(const QByteArray& data, int boardRows)
{
    if (data.isEmpty()) {
        TrendFileContent empty;
        empty.status = TrendFileContent::Status::Empty;
        return empty;
    }
    ItemReader in(data);
    TrendFileContent c;
    // The address is the whole first line, commas and all, as it was written.
    c.address = in.readLine();
    if (in.atEnd())
        return pastEnd();
    const QString index = in.readItem().trimmed();
    if (!index.isEmpty()) {
        bool ok = false;
        const double v = index.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return bad(13, QStringLiteral("Type mismatch"));
        // A whole number is taken as the old integer input took it, halves to the even neighbour,
        // and only then checked against the list (-0.5 is row 0, 14.5 row 14).
        const double row = std::nearbyint(v);
        if (row < 0 || row >= boardRows)
            return bad(380, QStringLiteral("Invalid property value"));
        c.boardRow = static_cast<int>(row);
    }
    for (int i = 0; i < 2; ++i) {
        if (in.atEnd())
            return pastEnd();
        in.readItem();
    }
    while (!in.atEnd()) {
        TrendRow row;
        row.first = in.readItem();
        if (in.atEnd())
            return pastEnd();
        row.second = in.readItem();
        c.rows.push_back(std::move(row));
    }
    return c;
}
