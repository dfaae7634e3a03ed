#pragma once
#include <QList>
#include <QString>
#include <limits>

// The "drives" of the browser are the mounted volumes. A volume whose root cannot be read (a card
// reader without a card, a network share that went away) is not ready.
struct DriveEntry {
    QString root;  // the volume's root folder ("/", "/media/usb")
    QString label; // its name for the list
};

class DriveInfo {
public:
    virtual ~DriveInfo() = default;
    virtual QList<DriveEntry> drives() = 0;
    virtual bool isReady(const QString& root) = 0;
    // The root of the volume that holds `path`.
    virtual QString driveOf(const QString& path) = 0;
    // Bytes a user may still write on the volume.
    virtual qint64 freeBytes(const QString& root)
    {
        (void)root;
        return std::numeric_limits<qint64>::max();
    }
    // True for a volume whose medium can be changed (a stick, a card, a disc): a full one can be
    // swapped for an empty one, a full fixed disk cannot.
    virtual bool isRemovable(const QString& root)
    {
        (void)root;
        return false;
    }
};

class SystemDriveInfo : public DriveInfo {
public:
    QList<DriveEntry> drives() override;
    bool isReady(const QString& root) override;
    QString driveOf(const QString& path) override;
    qint64 freeBytes(const QString& root) override;
    bool isRemovable(const QString& root) override;
};

DriveInfo& driveInfo();
// Installs d (not owned); nullptr restores the system's volumes.
void setDriveInfo(DriveInfo* d);

// `folder`, a separator unless the folder already ends in one (the file system's root), and `name`.
QString joinPath(const QString& folder, const QString& name);
