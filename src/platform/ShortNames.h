#pragma once
#include <QString>
#include <QStringList>

// The old 8.3 short names. Linux keeps no second name for a file, so the short path of a path is
// the path itself. Where a new program needs a short name, one short base is made for the whole
// file set so that its files keep sharing a base name.

// The short form of a path: the path itself.
QString shortPath(const QString& path);

// True when `base` fits the old limit of eight characters.
bool fitsShortName(const QString& base);

// A short base for `longBase` in `folder`: the first six valid characters in capitals, "~" and the
// lowest N from 1 for which no file of the folder has that base with any of `extensions` (case
// ignored). A base that already fits is returned unchanged.
QString shortBaseFor(const QString& folder, const QString& longBase, const QStringList& extensions);
