#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantList>

// A second connection to a journal file, for reading it with plain queries the way a
// parent's script would, or for holding it locked.
class JournalProbe
{
public:
    explicit JournalProbe(const QString &path)
        : m_name(QStringLiteral("probe-%1").arg(reinterpret_cast<quintptr>(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~JournalProbe()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    // Every row of a query, each as a list of its values.
    QList<QVariantList> rows(const QString &sql, const QVariantList &bind = {}) const
    {
        QList<QVariantList> out;
        QSqlQuery q(db());
        q.prepare(sql);
        for (int i = 0; i < bind.size(); ++i)
            q.bindValue(i, bind[i]);
        if (!q.exec()) return out;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out << row;
        }
        return out;
    }
    QVariant value(const QString &sql, const QVariantList &bind = {}) const
    {
        const auto r = rows(sql, bind);
        return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
    }
    bool exec(const QString &sql) const
    {
        QSqlQuery q(db());
        return q.exec(sql);
    }

private:
    QString m_name;
};
