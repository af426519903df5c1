#pragma once

#include "TestSupport.h"
#include "progress/Journal.h"

#include <QRegularExpression>
#include <memory>

// A journal and the problems played into it. An entry is "[day:][pN:]a+b mode outcomes[@ms]":
// mode w for a whole answer or s by steps, one outcome per step, o right at once or x wrong
// first; "1:p2:38+45 sxo@4000" is player 2 on day 1 by columns, the units missed once.
class PlayedJournal
{
public:
    static inline const QDateTime FirstDay{QDate(2026, 12, 1), QTime(8, 0), Qt::UTC};

    PlayedJournal() : path(dir.path(QStringLiteral("Set/Progress.db")))
    {
        journal = std::make_unique<Journal>(path, reporter);
    }

    // entries, times over.
    static QString repeat(const QString &entries, int times)
    {
        return QStringList(times, entries).join(QStringLiteral(", "));
    }

    // "38+45": the problem, of the line its digits make.
    static PosedRecord problemOf(const QString &problem)
    {
        const bool add = problem.contains(QLatin1Char('+'));
        const QStringList operands = problem.split(QRegularExpression(QStringLiteral("[+-]")));
        PosedRecord p;
        p.Operation = add ? Op::Add : Op::Dec;
        p.Operand1 = operands[0].toInt();
        p.Operand2 = operands[1].toInt();
        p.Type = QStringLiteral("%1位数%2%3位数")
                     .arg(operands[0].size())
                     .arg(add ? QLatin1Char('+') : QLatin1Char('-'))
                     .arg(operands[1].size());
        return p;
    }

    void play(const QString &entries)
    {
        for (const QString &entry : entries.split(QStringLiteral(", "), Qt::SkipEmptyParts))
            playOne(entry);
    }

    TempDataDir dir{false};
    QString path;
    CapturingReporter reporter;
    std::unique_ptr<Journal> journal;

private:
    void playOne(QString entry)
    {
        int day = 0, player = 0;
        int64_t ms = 2000;
        QStringList parts = entry.split(QLatin1Char(':'));
        for (; parts.size() > 1; parts.removeFirst()) {
            if (parts.first().startsWith(QLatin1Char('p')))
                player = parts.first().mid(1).toInt();
            else
                day = parts.first().toInt();
        }
        entry = parts.first();
        if (entry.contains(QLatin1Char('@'))) ms = entry.section(QLatin1Char('@'), 1).toLongLong();
        const QString problem = entry.section(QLatin1Char(' '), 0, 0);
        const QString outcomes =
            entry.section(QLatin1Char(' '), 1, 1).section(QLatin1Char('@'), 0, 0);
        PosedRecord p = problemOf(problem);
        p.Player = player;
        p.StepMode = outcomes.startsWith(QLatin1Char('s'));
        QDateTime at = FirstDay.addDays(day).addSecs(60 * ++m_count);
        p.PosedAt = at;
        const int64_t row = journal->recordPosed(p);
        for (int step = 0; step + 1 < outcomes.size(); ++step) {
            for (bool right : {outcomes.at(step + 1) == QLatin1Char('o'), true}) {
                AnswerRecord a;
                a.Player = player;
                a.Step = step;
                a.Correct = right;
                a.Ms = ms;
                at = at.addMSecs(ms);
                a.At = at;
                a.Finishes = right && step + 2 == outcomes.size();
                journal->recordAnswer(row, a);
                if (right) break;
            }
        }
    }
    int m_count = 0;
};
