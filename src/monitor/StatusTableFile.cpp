#include "monitor/StatusTableFile.h"

#include "platform/Convert.h"
#include "platform/TextItems.h"

#include <limits>

StatusTableFileData readStatusTableFile(const QByteArray& bytes)
{
    StatusTableFileData data;
    ItemReader reader(bytes);
    if (reader.atEnd())
        return data;
    const qint64 code = valInt(reader.readItem());
    // A code no board has is kept in range here; the board list maps it to "(none)".
    if (code >= std::numeric_limits<int>::min() && code <= std::numeric_limits<int>::max())
        data.boardCode = static_cast<int>(code);
    while (!reader.atEnd()) {
        data.addresses << reader.readItem();
        if (data.addresses.size() >= kStatusTableAddressLimit) {
            data.cut = true;
            break;
        }
    }
    return data;
}

QByteArray statusTableFileBytes(int boardCode, const QStringList& addresses)
{
    ItemWriter w;
    w.printNumber(qint64(boardCode)).newLine();
    for (const QString& a : addresses)
        w.printLine(a);
    return w.bytes();
}
