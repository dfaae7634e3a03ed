#pragma once
#include <QString>

// The installation folder: $CORVANEX_HOME when set, else the folder of the executable. Tests point
// it at a temporary folder.
QString installationFolder();
void setInstallationFolder(const QString& folder);

// A path below the installation folder, each part found without regard to case ("Support" and
// "support" are one folder); parts that do not exist yet are taken as written.
QString installPath(const QString& relative);
