#pragma once

#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/Errors.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

struct SceneGeometry;

// What the window tells the scene of its layout on a w x h screen at ratio device pixels.
SceneGeometry sceneGeometry(int w = 1024, int h = 768, qreal ratio = 1);

// A clock the test steps by hand (see GameDriver for the timers that fire meanwhile).
class FakeClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    void advance(uint32_t ms) { now += ms; }
    // Wall-clock time moves with the ticks, from 2026-12-01 08:00 UTC.
    int64_t utcMilliseconds() override { return utcStart + now; }

    uint32_t now = 1000;
    int64_t utcStart = 1796112000000;
};

// Records error boxes and answers the yes/no question as told.
class CapturingReporter : public Reporter
{
public:
    void showError(const QString &message) override { errors << message; }
    bool askYesNo(const QString &text, const QString &caption) override
    {
        questions << caption + QLatin1Char('|') + text;
        return answer;
    }

    QStringList errors;
    QStringList questions;
    bool answer = false;
};

// A temporary application folder holding a copy of the shipped data tree (or none).
class TempDataDir
{
public:
    explicit TempDataDir(bool withShippedData = true);
    QString path(const QString &relative = QString()) const;
    // The portable layout rooted here, as a game is given it.
    DataFolders folders() const;
    // Set/ here, ending in "/".
    QString setFolder() const { return folders().setFolder(); }
    // Writes the lines in GBK with CR LF.
    void writeLines(const QString &relative, const QStringList &lines) const;
    void writeBytes(const QString &relative, const QByteArray &bytes) const;
    QByteArray readBytes(const QString &relative) const;
    QStringList readLines(const QString &relative) const;
    void remove(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

// Makes a file or folder immutable (chattr +i) for the guard's lifetime, so not even root can
// replace, rename or add to it. Refused without CAP_LINUX_IMMUTABLE or on file systems
// without the flag; ok() then says so and the test skips.
class ImmutableGuard
{
public:
    explicit ImmutableGuard(const QString &path);
    ~ImmutableGuard();
    ImmutableGuard(const ImmutableGuard &) = delete;
    ImmutableGuard &operator=(const ImmutableGuard &) = delete;
    bool ok() const { return m_set; }

private:
    QString m_path;
    bool m_set = false;
};

// Makes a FIFO at path (replacing what is there).
bool makeFifo(const QString &path);
