#pragma once

#include "TestSupport.h"
#include "progress/Journal.h"

#include <QDateTime>
#include <tuple>

// A journal made by hand, for the report's tests: who did which fact when, with how many
// wrong answers.

inline const QDateTime ReportNow = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

class HandMadeJournal
{
public:
    HandMadeJournal() : path(dir.path(QStringLiteral("Set/Progress.db"))), journal(path, reporter)
    {
    }

    // One problem posed daysAgo days before ReportNow, taking seconds to finish (or never
    // finished), with wrong answers before the right one.
    void add(int32_t op, int32_t a, int32_t b, int daysAgo, int seconds, int wrong,
             bool finished = true, int32_t player = 0, bool hint = false)
    {
        PosedRecord p;
        p.Player = player;
        p.PlayerName = player == 0 ? QStringLiteral("小明") : QStringLiteral("妹妹");
        p.Operation = static_cast<Op>(op);
        p.Operand1 = a;
        p.Operand2 = b;
        p.PosedAt = ReportNow.addDays(-daysAgo).addSecs(-3600 + 60 * ++m_count);
        const int64_t id = journal.recordPosed(p);
        for (int i = 0; i <= wrong; ++i) {
            const bool last = i == wrong;
            if (last && !finished) break;
            AnswerRecord r;
            r.Correct = last;
            r.Value = last ? 1 : 2;
            r.HintShown = hint;
            r.Player = player;
            r.PlayerName = p.PlayerName;
            r.At = p.PosedAt.addMSecs(qint64(seconds) * 1000 * (i + 1) / (wrong + 1));
            r.Finishes = last;
            r.Coins = last ? 2 : 0;
            journal.recordAnswer(id, r);
        }
    }

    TempDataDir dir{false};
    CapturingReporter reporter;
    QString path;
    Journal journal;

private:
    int m_count = 0;
};

// The same few weeks of practice for every test.
inline void fill(HandMadeJournal &j)
{
    // 7×8: three tries, one clean: mostly wrong.
    j.add(2, 7, 8, 0, 12, 2);
    j.add(2, 7, 8, 1, 9, 1);
    j.add(2, 7, 8, 2, 4, 0);
    // 6×7: four clean of five: mostly right.
    for (int i = 0; i < 4; ++i)
        j.add(2, 6, 7, i, 3 + i, 0, true, 0, i == 0);
    j.add(2, 6, 7, 4, 20, 1);
    // 3×4: one of two: mixed.
    j.add(2, 3, 4, 0, 5, 0);
    j.add(2, 3, 4, 3, 8, 1);
    j.add(1, 13, 6, 0, 10, 1);
    j.add(1, 13, 6, 1, 11, 1, true, 0, true);
    j.add(0, 8, 5, 2, 6, 0);
    j.add(3, 56, 7, 1, 30, 2);
    j.add(0, 38, 45, 0, 25, 1);
    // Abandoned after a wrong answer, and abandoned untouched.
    j.add(2, 4, 4, 0, 9, 1, false);
    j.add(2, 2, 2, 0, 0, 0, false);
    for (auto [op, a, b] :
         {std::tuple{0, 2, 3}, {0, 4, 5}, {0, 6, 1}, {0, 7, 2}, {1, 1, 1}, {1, 9, 3}})
        j.add(op, a, b, 5, 7, 1);
    // Outside the last seven days, and outside the last thirty.
    j.add(2, 5, 5, 10, 6, 0);
    j.add(0, 2, 2, 100, 4, 0);
    // Someone else's.
    j.add(2, 7, 8, 0, 40, 5, true, 2);
}
