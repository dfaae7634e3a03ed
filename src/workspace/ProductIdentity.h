#pragma once
#include <QString>
#include <QStringList>

// The product's identity as the splash and about windows show it. The maker's name and its support
// lines are the shipper's to fill in; an empty line is simply not shown.
namespace ProductIdentity {
inline QString title() { return QStringLiteral("Corvanex"); }
inline QString companyName() { return QString(); }
inline QStringList supportLines() { return {}; }
inline QString copyright() { return QStringLiteral("Copyright \u00A9 Corvanex. All rights reserved."); }
inline QString warning()
{
    return QStringLiteral("Warning: this program is protected by copyright law. Unauthorized copying or "
                          "distribution of it, or of any part of it, is prohibited.");
}
// "Version major.minor.revision" of the executable.
inline QString versionText()
{
    return QStringLiteral("Version ") + QString::number(CORVANEX_VERSION_MAJOR) + QLatin1Char('.') +
           QString::number(CORVANEX_VERSION_MINOR) + QLatin1Char('.') + QString::number(CORVANEX_VERSION_PATCH);
}
} // namespace ProductIdentity
