#include "platform/ShortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

QString shortPath(const QString& path) { return path; }

bool fitsShortName(const QString& base) { return base.size() <= 8; }

namespace {
// Characters an old short name may hold besides letters and digits.
bool validShortChar(QChar c)
{
    if (c.unicode() > 0x7f)
        return false;
    return c.isLetterOrNumber() || QStringLiteral("!#$%&'()-@^_`{}~").contains(c);
}

bool taken(const QSet<QString>& existing, const QString& base, const QStringList& extensions)
{
    if (existing.contains(base.toUpper()))
        return true;
    for (const QString& ext : extensions) {
        if (existing.contains((base + QLatin1Char('.') + ext).toUpper()))
            return true;
    }
    return false;
}
} // namespace

QString shortBaseFor(const QString& folder, const QString& longBase, const QStringList& extensions)
{
    if (fitsShortName(longBase))
        return longBase;
    QString stem;
    for (QChar c : longBase) {
        if (validShortChar(c))
            stem += c.toUpper();
        if (stem.size() == 6)
            break;
    }
    QSet<QString> existing;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& n : names)
        existing.insert(n.toUpper());
    for (int n = 1;; ++n) {
        // Larger numbers take characters from the stem so that the base stays at eight.
        const QString tail = QStringLiteral("~") + QString::number(n);
        const QString base = stem.left(8 - tail.size()) + tail;
        if (!taken(existing, base, extensions))
            return base;
    }
}
