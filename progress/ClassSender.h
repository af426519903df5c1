#pragma once

#include "progress/ClassSettings.h"

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

class Clock;
class QSqlError;

// What one round of sending came to.
struct ClassRound
{
    enum Outcome {
        // Everything that is over has reached the server.
        Sent,
        // The journal file is missing, locked or not yet migrated: try again later.
        JournalWaiting,
        // No server answers (down, starting, network gone).
        Unreachable,
        // A server answers but refuses this seat: wrong password, unknown user or database,
        // no right to write. The teacher has to put it right.
        Refused,
        // The server has no schema of our version yet and this user may not make it.
        NotReady,
        // The connection broke during a batch (server restarted, backend killed).
        Broken,
    };
    Outcome outcome = Sent;
    int64_t rowsSent = 0;
    // Why, for the outcomes that are not Sent; never holds the password.
    QString error;
};

// Copies the finished and abandoned problems of the local journal, and their answers, to the
// class server: oldest first, in batches of one server transaction each, every row inserted
// with ON CONFLICT DO NOTHING so that a batch sent again never doubles a row. How far each
// table has arrived is kept in the journal's class_sent table, and taken from the server on
// every connection, which knows best.
//
// It reads the journal file through a connection of its own and never waits on the game's.
// Everything happens on the thread that calls sendPending(); destroy it on that thread.
class ClassSender
{
    Q_DECLARE_TR_FUNCTIONS(ClassSender)

public:
    // clock gives the seat's time for sent_at; it is called from the sending thread.
    ClassSender(ClassSettings settings, QString journalPath, Clock &clock, int batchRows = 500);
    ~ClassSender();
    ClassSender(const ClassSender &) = delete;
    ClassSender &operator=(const ClassSender &) = delete;

    // One round: connects where needed, then sends batches until nothing is left or stop()
    // says so.
    ClassRound sendPending(const std::function<bool()> &stop = {});
    // Closes the server connection; the next round connects afresh.
    void disconnect();

    // Whether the user may read the whole class (known once connected).
    bool canReadClass() const { return m_canRead; }
    // Rows of each journal table known to be on the server.
    const std::map<std::string, int64_t> &sentUpTo() const { return m_sent; }

private:
    bool openJournal(QString &why);
    ClassRound connectServer();
    ClassRound failure(ClassRound::Outcome outcome, const QString &why) const;
    ClassRound::Outcome classifyLogin() const;
    bool readBatch(std::map<std::string, QByteArray> &json, std::map<std::string, int64_t> &last,
                   int64_t &rows, QString &why);
    ClassRound sendBatches(const std::function<bool()> &stop);
    bool writeMarks(QString &why);
    // One batch in one server transaction; an invalid error when it was committed.
    QSqlError sendBatch(const std::map<std::string, QByteArray> &json, const QString &sentAt);

    ClassSettings m_settings;
    QString m_journalPath;
    Clock &m_clock;
    int m_batchRows;
    QString m_local;
    QString m_server;
    QString m_journalId;
    bool m_connected = false;
    bool m_canRead = false;
    std::map<std::string, int64_t> m_sent;
    // As the journal's class_sent table has them.
    std::map<std::string, int64_t> m_written;
};
