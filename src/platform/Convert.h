#pragma once
#include <QString>

// The numeric value of the leading number in a text, as the old Val read it: blanks skipped, an
// optional sign, digits and one decimal point; anything else ends the number; no number gives 0.
double val(const QString& text);
// The same, truncated to a whole number and bounded to the 64-bit range.
qint64 valInt(const QString& text);
