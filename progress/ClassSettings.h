#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

// Set/Class.ini, written by the teacher: where the class journal lives and who this seat is.
//   [Server] Host, Port, Database, User, Password, SslMode
//   [Class]  Name, Seat
struct ClassSettings
{
    Q_DECLARE_TR_FUNCTIONS(ClassSettings)

public:
    // A host name, or a folder holding the server's Unix socket.
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString password;
    // Passed to libpq as it is: disable, prefer, require or verify-full.
    QString sslMode = QStringLiteral("prefer");
    QString className;
    QString seat;

    // The file in setFolder, found without regard to letter case; empty when there is none.
    static QString fileIn(const QString &setFolder);
    // Reads the file. Empty, with the reason in why, when it cannot be used.
    static std::optional<ClassSettings> read(const QString &path, QString *why = nullptr);
    // Whether users other than its owner may read the file (and with it the password).
    static bool readableByOthers(const QString &path);

    // libpq's options beside host, port, user and password: a dead server or network must
    // cost seconds, never minutes.
    QString connectOptions() const;
    // The place the sent rows go, as the local journal keys how far it has sent.
    QString target() const;
};
