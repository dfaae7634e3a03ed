#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QTemporaryDir>

#include <sys/resource.h>

// A temporary installation folder (with its support folder) for the length of a test; shortens
// every time-out so that silent-board paths take milliseconds.
class TestInstall {
public:
    explicit TestInstall(int timeoutScaleDen = 100);
    ~TestInstall();

    QString path(const QString& relative = QString()) const;
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previousCwd;
};

// A line that drops out (SimBoard::loseRepliesFrom) for 6 s of unshortened time, kDropOutMs at
// time-outs of 1/kDropOutScaleDen: replies stop past the communication box (after three waits, at
// 5 s) and come back before FFh is sent again after its Retry (at 7 s).
constexpr int kDropOutScaleDen = 20;
constexpr int kDropOutMs = 300;
class SimBoard;
// Such a drop-out from the `n`th byte `board` receives from now on (0: the next); the test answers
// the communication box Retry. A real port's drop-out runs at a scale of its own, so that its late
// mark stays well above any pause of a busy machine.
void dropOutFrom(SimBoard& board, long n, int scaleDen = kDropOutScaleDen);
// The same from the reply to the address low byte of the `nth` read or write of byte `address`:
// a read's data byte, a write's echo of its address.
void dropOutAt(SimBoard& board, int address, int nth = 1);

// Puts at `relative` a file that exists but cannot be read, even by root; false when this machine
// has none to offer.
bool makeUnreadable(TestInstall& install, const QString& relative);

// Keeps an existing file from being deleted for its lifetime; undeletable() is false when this
// machine offers no way to.
class UndeletableFile {
public:
    explicit UndeletableFile(const QString& path);
    ~UndeletableFile();
    UndeletableFile(const UndeletableFile&) = delete;
    UndeletableFile& operator=(const UndeletableFile&) = delete;
    bool undeletable() const { return m_undeletable; }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_undeletable = false;
    QFileDevice::Permissions m_folderPermissions;
};

// Files written while it lives may grow to `bytes` only: a longer write fails half-way, as on a full
// disk (the signal the kernel sends for it is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit m_saved {};
    void (*m_oldHandler)(int) = nullptr;
};

// Bytes as "FF 55 01" for readable failures.
QString hexBytes(const QByteArray& bytes);
QByteArray bytesOf(std::initializer_list<int> values);
