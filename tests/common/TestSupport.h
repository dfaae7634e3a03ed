#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

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

// Bytes as "FF 55 01" for readable failures.
QString hexBytes(const QByteArray& bytes);
QByteArray bytesOf(std::initializer_list<int> values);
