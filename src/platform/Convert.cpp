#include "platform/Convert.h"

#include <cmath>
#include <limits>

double val(const QString& text)
{
    QString number;
    bool seenDigit = false, seenPoint = false;
    for (QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (number.isEmpty() && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            number += c;
        } else if (c.isDigit() && c.unicode() < 128) {
            number += c;
            seenDigit = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            number += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0;
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok ? v : 0;
}

qint64 valInt(const QString& text)
{
    const double v = std::trunc(val(text));
    if (v >= static_cast<double>(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    if (v <= static_cast<double>(std::numeric_limits<qint64>::min()))
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(v);
}
