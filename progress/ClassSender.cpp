#include "progress/ClassSender.h"

#include "platform/Clock.h"
#include "progress/ClassSchema.h"
#include "progress/Journal.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <libpq-fe.h>
#include <limits>

namespace {

QString serial()
{
    static std::atomic<int> n{0};
    return QString::number(++n);
}

bool isInteger(const char *serverType)
{
    return qstrcmp(serverType, "text") != 0;
}

// The journal's value as the server's column takes it.
QJsonValue jsonValue(const QVariant &v, const char *serverType)
{
    if (v.isNull()) return QJsonValue();
    if (isInteger(serverType)) return QJsonValue(v.toLongLong());
    return QJsonValue(v.toString());
}

// Errors of the request itself (no right, no such table): sending it again will not help.
bool refusedByServer(const QSqlError &e)
{
    return e.nativeErrorCode().startsWith(QLatin1String("42"));
}

} // namespace

ClassSender::ClassSender(ClassSettings settings, QString journalPath, Clock &clock, int batchRows)
    : m_settings(std::move(settings)), m_journalPath(std::move(journalPath)), m_clock(clock),
      m_batchRows(batchRows)
{
    const QString n = serial();
    m_local = QStringLiteral("class-journal-") + n;
    m_server = QStringLiteral("class-server-") + n;
}

ClassSender::~ClassSender()
{
    for (const QString &name : {m_local, m_server}) {
        if (!QSqlDatabase::contains(name)) continue;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

ClassRound ClassSender::failure(ClassRound::Outcome outcome, const QString &why) const
{
    ClassRound r;
    r.outcome = outcome;
    r.error = why.trimmed();
    // libpq does not repeat passwords, and nothing we show ever should.
    if (m_settings.password.size() >= 3)
        r.error.replace(m_settings.password, QStringLiteral("***"));
    return r;
}

bool ClassSender::openJournal(QString &why)
{
    QSqlDatabase db = QSqlDatabase::database(m_local, false);
    if (db.isOpen() && !m_journalId.isEmpty()) return true;
    // Opening would make an empty file where the game has not made its journal yet.
    if (!QFileInfo(m_journalPath).isFile()) {
        why = tr("这台电脑上还没有做题记录。");
        return false;
    }
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_local);
        db.setDatabaseName(m_journalPath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    }
    if (!db.isOpen() && !db.open()) {
        why = db.lastError().text();
        return false;
    }
    // A journal of an older game gets its class tables when the game opens it.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT id FROM class_journal")) || !q.next()) {
        why = q.lastError().text();
        db.close();
        return false;
    }
    m_journalId = q.value(0).toString();
    q.finish();
    QSqlQuery marks(db);
    marks.prepare(QStringLiteral("SELECT tbl, last_id FROM class_sent WHERE target = ?"));
    marks.addBindValue(m_settings.target());
    if (!marks.exec()) {
        why = marks.lastError().text();
        m_journalId.clear();
        db.close();
        return false;
    }
    while (marks.next())
        m_written[marks.value(0).toString().toStdString()] = marks.value(1).toLongLong();
    m_sent = m_written;
    return true;
}

ClassRound::Outcome ClassSender::classifyLogin() const
{
    // A server that answers a ping but would not let us in has refused us; libpq's own
    // texts are translated, so they cannot tell us which it was.
    const QByteArray host = m_settings.host.toUtf8(), port = QByteArray::number(m_settings.port),
                     db = m_settings.database.toUtf8(), user = m_settings.user.toUtf8();
    const char *keys[] = {"host", "port", "dbname", "user", "connect_timeout", nullptr};
    const char *values[] = {host.isEmpty() ? nullptr : host.constData(),
                            port.constData(),
                            db.constData(),
                            user.constData(),
                            "3",
                            nullptr};
    return PQpingParams(keys, values, 0) == PQPING_OK ? ClassRound::Refused
                                                      : ClassRound::Unreachable;
}

ClassRound ClassSender::connectServer()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return failure(ClassRound::Refused,
                       tr("Qt 的 PostgreSQL 驱动（libqt6sql6-psql）没有安装。"));
    QSqlDatabase db = QSqlDatabase::database(m_server, false);
    if (!db.isValid()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_server);
        db.setHostName(m_settings.host);
        db.setPort(m_settings.port);
        db.setDatabaseName(m_settings.database);
        db.setUserName(m_settings.user);
        db.setPassword(m_settings.password);
        db.setConnectOptions(m_settings.connectOptions());
    }
    db.close();
    QElapsedTimer waited;
    waited.start();
    if (!db.open()) {
        // A host that never answered took the whole connect timeout: no need to ping it, and
        // a game that is closing waits for one timeout, not two.
        const bool timedOut = waited.elapsed() >= 2500;
        return failure(timedOut ? ClassRound::Unreachable : classifyLogin(), db.lastError().text());
    }

    const ClassSchema::State state = ClassSchema::prepare(db);
    if (!state.error.isEmpty()) {
        disconnect();
        return failure(classifyLogin(), state.error);
    }
    if (!state.ready) {
        disconnect();
        return failure(ClassRound::NotReady,
                       tr("服务器上的表是第 %1 版，这个游戏要第 %2 版：请老师的电脑连一次服务器。")
                           .arg(state.found)
                           .arg(ClassSchema::version()));
    }
    m_canRead = state.canRead;
    // What the server holds is what counts: a server restored from a backup gets the rows
    // it lost again, and marks that never reached the journal cost no second copy.
    QSqlQuery upto(db);
    upto.prepare(QStringLiteral("SELECT class_sent_upto(?, ?, ?, ?)"));
    for (const ClassTable &t : ClassSchema::tables()) {
        upto.bindValue(0, QString::fromLatin1(t.name));
        upto.bindValue(1, m_settings.className);
        upto.bindValue(2, m_settings.seat);
        upto.bindValue(3, m_journalId);
        if (!upto.exec() || !upto.next()) {
            const QSqlError e = upto.lastError();
            disconnect();
            return failure(refusedByServer(e) ? ClassRound::Refused : ClassRound::Broken, e.text());
        }
        m_sent[t.name] = upto.value(0).toLongLong();
    }
    m_connected = true;
    return {};
}

void ClassSender::disconnect()
{
    m_connected = false;
    if (QSqlDatabase::contains(m_server)) QSqlDatabase::database(m_server, false).close();
}

bool ClassSender::readBatch(std::map<std::string, QByteArray> &json,
                            std::map<std::string, int64_t> &last, int64_t &rows, QString &why)
{
    QSqlDatabase db = QSqlDatabase::database(m_local, false);
    // One snapshot, so that a problem and its answers are seen in the same state.
    if (!db.transaction()) {
        why = db.lastError().text();
        return false;
    }
    auto fail = [&](const QSqlQuery &q) {
        why = q.lastError().text();
        db.rollback();
        return false;
    };
    // Problems up to this one are over; the newest is still being played unless finished.
    QSqlQuery over(db);
    if (!over.exec(
            QStringLiteral("SELECT coalesce((SELECT CASE WHEN finished_at IS NULL THEN "
                           "id - 1 ELSE id END FROM problems ORDER BY id DESC LIMIT 1), 0)")) ||
        !over.next())
        return fail(over);
    const qint64 lastOver = over.value(0).toLongLong();
    for (const ClassTable &t : ClassSchema::tables()) {
        const QString name = QString::fromLatin1(t.name);
        const qint64 from = m_sent[t.name];
        // Rows go in order and stop at the first that belongs to a problem not yet over, so
        // that how far a table was sent is one number.
        QSqlQuery stop(db);
        stop.prepare(QStringLiteral("SELECT min(id) FROM %1 WHERE id > ? AND %2 > ?")
                         .arg(name, QLatin1String(t.problemColumn)));
        stop.addBindValue(from);
        stop.addBindValue(lastOver);
        if (!stop.exec() || !stop.next()) return fail(stop);
        const qint64 before = stop.value(0).isNull() ? std::numeric_limits<qint64>::max()
                                                     : stop.value(0).toLongLong();
        QStringList columns;
        for (const ClassColumn &c : t.columns)
            columns << QString::fromLatin1(c.name);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(
            QStringLiteral("SELECT id, %1 FROM %2 WHERE id > ? AND id < ? ORDER BY id LIMIT ?")
                .arg(columns.join(QStringLiteral(", ")), name));
        q.addBindValue(from);
        q.addBindValue(before);
        q.addBindValue(m_batchRows);
        if (!q.exec()) return fail(q);
        QJsonArray array;
        qint64 newest = from;
        while (q.next()) {
            QJsonObject row;
            newest = q.value(0).toLongLong();
            row.insert(QStringLiteral("local_id"), newest);
            for (size_t i = 0; i < t.columns.size(); ++i)
                row.insert(columns[int(i)],
                           jsonValue(q.value(int(i) + 1), t.columns[i].serverType));
            array.append(row);
        }
        if (array.isEmpty()) continue;
        rows += array.size();
        last[t.name] = newest;
        json[t.name] = QJsonDocument(array).toJson(QJsonDocument::Compact);
    }
    db.commit();
    return true;
}

bool ClassSender::writeMarks(QString &why)
{
    QSqlDatabase db = QSqlDatabase::database(m_local, false);
    if (!db.transaction()) {
        why = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO class_sent(target, tbl, last_id) VALUES(?, ?, ?) "
                             "ON CONFLICT(target, tbl) DO UPDATE SET last_id = excluded.last_id"));
    for (const auto &[table, upto] : m_sent) {
        q.bindValue(0, m_settings.target());
        q.bindValue(1, QString::fromStdString(table));
        q.bindValue(2, qint64(upto));
        if (!q.exec()) {
            why = q.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (db.commit()) return true;
    why = db.lastError().text();
    db.rollback();
    return false;
}

QSqlError ClassSender::sendBatch(const std::map<std::string, QByteArray> &json,
                                 const QString &sentAt)
{
    QSqlDatabase server = QSqlDatabase::database(m_server, false);
    if (!server.transaction()) return server.lastError();
    for (const ClassTable &t : ClassSchema::tables()) {
        auto it = json.find(t.name);
        if (it == json.end()) continue;
        QStringList columns, picked;
        for (const ClassColumn &c : t.columns) {
            columns << QString::fromLatin1(c.name);
            picked << QStringLiteral("r.") + QString::fromLatin1(c.name);
        }
        // Literals rather than a prepared statement: one round trip per table and batch.
        auto literal = [&](const QString &text) {
            QSqlField field{QString(), QMetaType(QMetaType::QString)};
            field.setValue(text);
            return server.driver()->formatValue(field);
        };
        QSqlQuery insert(server);
        const QString sql =
            QStringLiteral("INSERT INTO %1(class, seat, journal, local_id, %2, sent_at) "
                           "SELECT %3, %4, %5, r.local_id, %6, %7 FROM "
                           "json_populate_recordset(NULL::%1, %8::json) r ON CONFLICT DO NOTHING")
                .arg(QLatin1String(t.name), columns.join(QStringLiteral(", ")),
                     literal(m_settings.className), literal(m_settings.seat), literal(m_journalId),
                     picked.join(QStringLiteral(", ")), literal(sentAt),
                     literal(QString::fromUtf8(it->second)));
        if (!insert.exec(sql)) return insert.lastError();
    }
    if (!server.commit()) return server.lastError();
    return {};
}

ClassRound ClassSender::sendPending(const std::function<bool()> &stop)
{
    QString why;
    if (!openJournal(why)) return failure(ClassRound::JournalWaiting, why);
    if (!m_connected) {
        const ClassRound connected = connectServer();
        if (connected.outcome != ClassRound::Sent) return connected;
    }
    const ClassRound round = sendBatches(stop);
    // Once a round, not after every batch: the write lock it takes is one the game's own
    // recording would have to wait for. A journal that is busy now hears it next round.
    if (m_sent != m_written && writeMarks(why)) m_written = m_sent;
    return round;
}

ClassRound ClassSender::sendBatches(const std::function<bool()> &stop)
{
    QSqlDatabase server = QSqlDatabase::database(m_server, false);
    ClassRound round;
    QString why;
    while (!(stop && stop())) {
        std::map<std::string, QByteArray> json;
        std::map<std::string, int64_t> last;
        int64_t rows = 0;
        if (!readBatch(json, last, rows, why)) {
            ClassRound r = failure(ClassRound::JournalWaiting, why);
            r.rowsSent = round.rowsSent;
            return r;
        }
        if (rows == 0) break;
        const QString sentAt =
            Journal::isoTime(QDateTime::fromMSecsSinceEpoch(m_clock.utcMilliseconds(), Qt::UTC));
        const QSqlError error = sendBatch(json, sentAt);
        if (error.isValid()) {
            if (server.isOpen()) server.rollback();
            disconnect();
            ClassRound r = failure(
                refusedByServer(error) ? ClassRound::Refused : ClassRound::Broken, error.text());
            r.rowsSent = round.rowsSent;
            return r;
        }
        for (const auto &[table, upto] : last)
            m_sent[table] = upto;
        round.rowsSent += rows;
    }
    return round;
}
