#include "ClassRig.h"

#include "JournalProbe.h"
#include "progress/ClassSchema.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>

namespace {

QString columnList(const ClassTable &t)
{
    QStringList names;
    for (const ClassColumn &c : t.columns)
        names << QString::fromLatin1(c.name);
    return names.join(QStringLiteral(", "));
}

// The README's set-up script: the sql block that makes the seats' group.
QString readmeSql()
{
    QFile readme(QStringLiteral(SUMSPROUT_TESTS_DIR "/../README.md"));
    if (!readme.open(QIODevice::ReadOnly)) return QString();
    const QString text = QString::fromUtf8(readme.readAll());
    static const QRegularExpression block(QStringLiteral("```sql\\n(.*?)```"),
                                          QRegularExpression::DotMatchesEverythingOption);
    for (auto it = block.globalMatch(text); it.hasNext();) {
        const QString sql = it.next().captured(1);
        if (sql.contains(QLatin1String(ClassSchema::seatGroup))) return sql;
    }
    return QString();
}

} // namespace

QString ClassServer::start()
{
    if (QString why = cluster.start(); !why.isEmpty()) return why;
    const QString sql = readmeSql();
    if (sql.isEmpty()) return QStringLiteral("README.md has no sql block making the seats' group");
    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("setup.sql")));
    if (!script.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write setup.sql");
    script.write(sql.toUtf8());
    script.close();
    return cluster.psql(script.fileName(), QStringLiteral("postgres"),
                        {QStringLiteral("class_db=") + QLatin1String(database),
                         QStringLiteral("teacher_password=") + QLatin1String(teacherPassword),
                         QStringLiteral("seat_password=") + QLatin1String(seatPassword)});
}

ClassSettings ClassServer::settings(const QString &className, const QString &seat,
                                    bool teacher) const
{
    ClassSettings s;
    s.host = cluster.host();
    s.port = cluster.port();
    s.database = QLatin1String(database);
    s.user = teacher ? QStringLiteral("teacher") : QStringLiteral("seat");
    s.password = QLatin1String(teacher ? teacherPassword : seatPassword);
    s.sslMode = QStringLiteral("disable");
    s.className = className;
    s.seat = seat;
    return s;
}

QList<QVariantList> ClassServer::rows(const ClassTable &table, const QString &className,
                                      const QString &seat) const
{
    return cluster.rows(QStringLiteral("SELECT local_id, %1 FROM %2 WHERE class = '%3' AND "
                                       "seat = '%4' ORDER BY local_id")
                            .arg(columnList(table), QLatin1String(table.name), className, seat),
                        QLatin1String(database));
}

ClassSeat::ClassSeat(const QDateTime &start) : now(start)
{
    QDir(dir.path()).mkpath(QStringLiteral("Set"));
    journal = std::make_unique<Journal>(journalPath(), reporter);
}

QString ClassSeat::setFolder() const
{
    return dir.filePath(QStringLiteral("Set"));
}

QString ClassSeat::journalPath() const
{
    return dir.filePath(QStringLiteral("Set/Progress.db"));
}

void ClassSeat::writeIni(const ClassSettings &s) const
{
    QSettings ini(QDir(setFolder()).filePath(QStringLiteral("Class.ini")), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Server/Host"), s.host);
    ini.setValue(QStringLiteral("Server/Port"), s.port);
    ini.setValue(QStringLiteral("Server/Database"), s.database);
    ini.setValue(QStringLiteral("Server/User"), s.user);
    ini.setValue(QStringLiteral("Server/Password"), s.password);
    ini.setValue(QStringLiteral("Server/SslMode"), s.sslMode);
    ini.setValue(QStringLiteral("Class/Name"), s.className);
    ini.setValue(QStringLiteral("Class/Seat"), s.seat);
    ini.sync();
    QFile::setPermissions(ini.fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

void ClassSeat::play(int problems, bool finishLast)
{
    for (int i = 0; i < problems; ++i, ++m_played) {
        const int n = m_played;
        PosedRecord p;
        p.Player = n % 5 == 4 ? 2 : 0;
        p.PlayerName = p.Player == 0 ? QStringLiteral("小明") : QStringLiteral("妹妹");
        p.Operation = static_cast<Op>(n % 4);
        p.Operand1 = 2 + n % 8;
        p.Operand2 = 1 + n % 9;
        p.Type = QStringLiteral("1位数×1位数");
        p.StepMode = n % 2 == 0;
        p.PosedAt = now;
        const int64_t id = journal->recordPosed(p);
        const bool last = i == problems - 1;
        const int wrong = n % 3 == 0 || (last && !finishLast) ? 1 : 0;
        for (int a = 0; a <= wrong; ++a) {
            const bool right = a == wrong;
            if (right && last && !finishLast) break;
            now = now.addMSecs(2500 + 100 * (n % 7));
            AnswerRecord r;
            r.Step = 0;
            r.Value = right ? 12 : 11;
            r.Correct = right;
            r.HintShown = a > 0;
            r.Ms = 2500 + 100 * (n % 7);
            r.At = now;
            r.Player = p.Player;
            r.PlayerName = p.PlayerName;
            r.Finishes = right;
            r.Coins = right ? 1 + n % 3 : 0;
            journal->recordAnswer(id, r);
        }
        now = now.addSecs(1);
    }
}

QList<QVariantList> ClassSeat::rows(const ClassTable &table) const
{
    JournalProbe probe(journalPath());
    QList<QVariantList> out;
    for (const QVariantList &row :
         probe.rows(QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id")
                        .arg(columnList(table), QLatin1String(table.name)))) {
        QVariantList text;
        for (const QVariant &v : row)
            text << (v.isNull() ? QVariant() : QVariant(v.toString()));
        out << text;
    }
    return out;
}
