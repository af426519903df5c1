#include "ClassSeat.h"

#include "ClassServer.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "progress/ClassSchema.h"

#include <QDateTime>
#include <QDir>

ClassSeat::ClassSeat(const std::optional<ClassSettings> &ini, int64_t clockErrorMs)
{
    game.clock.utcStart = QDateTime::currentMSecsSinceEpoch() + clockErrorMs - game.clock.now;
    if (ini) ClassServer::writeIni(game.data.setFolder(), *ini);
    session = std::make_unique<Session>(game.services(), sceneGeometry());
    session->Start();
    driver = std::make_unique<GameDriver>(game.clock, *session);
}

QString ClassSeat::journalPath() const
{
    return game.data.path(QStringLiteral("Set/Progress.db"));
}

void ClassSeat::play(int problems, bool finishLast)
{
    const int goal = session->SolvedCount() + problems - (finishLast ? 0 : 1);
    while (session->SolvedCount() < goal || !session->CanAnswer()) {
        if (!session->CanAnswer()) {
            driver->pass(50);
            continue;
        }
        const int32_t right = RightAnswer(&session->controller().Engine());
        driver->submit(m_answers++ % 4 == 3 ? right + 1 : right);
    }
    if (finishLast) return;
    driver->submit(RightAnswer(&session->controller().Engine()) + 1);
    driver->passWhile([this] { return session->Busy(); });
}

QList<QVariantList> ClassSeat::rows(const ClassTable &table) const
{
    QStringList columns;
    for (const ClassColumn &c : table.columns)
        columns << QString::fromLatin1(c.name);
    QList<QVariantList> out;
    const JournalProbe probe(journalPath());
    for (const QVariantList &row : probe.rows(
             QStringLiteral("SELECT id, %1 FROM %2 WHERE %3 < (SELECT max(id) FROM problems) "
                            "ORDER BY id")
                 .arg(columns.join(QStringLiteral(", ")), QLatin1String(table.name),
                      QLatin1String(table.problemColumn)))) {
        QVariantList text;
        for (const QVariant &v : row)
            text << (v.isNull() ? QVariant() : QVariant(v.toString()));
        out << text;
    }
    return out;
}
