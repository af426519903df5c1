#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

// A private PostgreSQL 15 cluster in a temporary folder, reachable only through a Unix socket
// in that folder, so tests and benchmarks never meet another server or port. Run as root,
// it runs the server as the unprivileged "postgres" user. The cluster's superuser is "admin"
// with password "admin", and every login needs its password.
class PgCluster
{
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // Makes the cluster and starts it. Empty when it runs; otherwise why it could not
    // (the server binaries missing, no such user, initdb failed).
    QString start();
    // Fast shutdown: open connections are cut, as when a school's server is stopped.
    void stop();
    bool running() const;

    // The value for Class.ini's Host: the socket folder.
    QString host() const;
    int port() const { return 55432; }

    // Runs SQL (one or more statements) as the superuser in database; empty when it ran,
    // otherwise the server's error.
    QString exec(const QString &sql, const QString &database = QStringLiteral("postgres")) const;
    // The rows of one query, each as a list of its values as text (null as a null QVariant).
    QList<QVariantList> rows(const QString &sql, const QString &database) const;
    // Runs psql on a script file as the superuser with -v name=value pairs; empty when it ran.
    QString psql(const QString &scriptPath, const QString &database,
                 const QStringList &variables = {}) const;

private:
    QStringList asServerUser(const QString &program, const QStringList &args) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_server;
    bool m_made = false;
};
