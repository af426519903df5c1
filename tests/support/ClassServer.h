#pragma once

#include "progress/ClassSettings.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

struct ClassTable;

// A private PostgreSQL 15 cluster in a temporary folder, reachable only through a Unix socket
// there, set up the way the README tells a school to: its SQL, run by psql as the superuser
// ("admin"), makes the teacher, the seats' group, a seat user and the class's database. Run as
// root, the server runs as the unprivileged "postgres" user.
class ClassServer
{
public:
    static constexpr const char *database = "class3b";
    static constexpr const char *teacherPassword = "teacher-pw";
    // Quotes, a comma, a semicolon and a space: all must pass Class.ini and libpq unchanged.
    static constexpr const char *seatPassword = "seat pw,7;3'51";

    ClassServer() = default;
    ~ClassServer() { stop(); }
    ClassServer(const ClassServer &) = delete;
    ClassServer &operator=(const ClassServer &) = delete;

    // Makes the cluster on the first call, then starts it. Empty when it runs; otherwise why
    // not (the server binaries or Qt's driver missing, initdb failed).
    QString start();
    // Fast shutdown: open connections are cut, as when a school's server is stopped.
    void stop();
    bool running() const { return m_server && m_server->state() == QProcess::Running; }

    // Class.ini's values for a seat of className, logging in as the seat user or the teacher.
    ClassSettings settings(const QString &className, const QString &seat,
                           bool teacher = false) const;
    // Writes them into a Set/ folder's Class.ini, readable by its owner only, as the README says.
    static void writeIni(const QString &setFolder, const ClassSettings &s);
    // Runs SQL as the superuser in the class's database; empty when it ran, else the error.
    QString exec(const QString &sql) const;
    // The rows of a query as the superuser, each value as text (null as a null QVariant).
    QList<QVariantList> rows(const QString &sql, QString *error = nullptr) const;
    // A table's rows of one seat, ordered by local id: local_id and the journal's columns.
    QList<QVariantList> rows(const ClassTable &table, const QString &className,
                             const QString &seat) const;

private:
    QString host() const { return m_dir.filePath(QStringLiteral("sock")); }

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_server;
    bool m_made = false;
};
