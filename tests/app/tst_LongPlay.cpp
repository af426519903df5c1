// A bot plays a long session through the window's own answer flow (keys, number pad,
// submit button) on a stepped clock, working out every answer from the operands by itself.
// It checks each problem to the digit, the coin bank against its own account, that the game
// never stalls between problems, and that memory stays flat.

#include "app/Main.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "TestGame.h"

#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <array>
#include <cstdio>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define SUMSPROUT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SUMSPROUT_ASAN 1
#endif
#endif

namespace {

// What the board shows once the problem is solved, against plain arithmetic.
QString checkSolved(TAlgo *engine)
{
    if (auto *e = dynamic_cast<TAdd *>(engine)) {
        // Every column writes its last digit; the leftmost writes its carry out as well.
        int64_t sum = 0, scale = 1;
        for (int32_t c = 0; c < e->Columns; ++c) {
            int64_t v = 0;
            for (int32_t d : e->ColumnSums[c])
                v = v * 10 + d;
            sum += (c + 1 == e->Columns ? v : v % 10) * scale;
            scale *= 10;
        }
        if (sum != e->Operand1 + e->Operand2)
            return QStringLiteral("%1+%2 shows %3").arg(e->Operand1).arg(e->Operand2).arg(sum);
        return {};
    }
    if (auto *e = dynamic_cast<TDec *>(engine)) {
        int64_t diff = 0;
        for (auto it = e->DifferenceDigits.rbegin(); it != e->DifferenceDigits.rend(); ++it)
            diff = diff * 10 + *it;
        if (diff != e->Operand1 - e->Operand2)
            return QStringLiteral("%1-%2 shows %3").arg(e->Operand1).arg(e->Operand2).arg(diff);
        return {};
    }
    if (auto *e = dynamic_cast<TMul *>(engine)) {
        if (e->MultiplierDigits() > 1) {
            int64_t product = 0, scale = 1;
            for (int32_t c = 0; c < e->SumColumns; ++c) {
                const int32_t v = e->SumAt(c).Value;
                product += (c + 1 == e->SumColumns ? v : v % 10) * scale;
                scale *= 10;
            }
            if (product != int64_t(e->Multiplicand) * e->Multiplier)
                return QStringLiteral("%1x%2 shows %3")
                    .arg(e->Multiplicand)
                    .arg(e->Multiplier)
                    .arg(product);
        }
        return {};
    }
    auto *e = dynamic_cast<TDiv *>(engine);
    const TDiv::Stage last = e->StageAt(e->QuotientDigits());
    if (int64_t(e->Quotient) * e->Divisor + last.P != e->Dividend || last.P >= e->Divisor)
        return QStringLiteral("%1/%2 shows %3 r %4")
            .arg(e->Dividend)
            .arg(e->Divisor)
            .arg(e->Quotient)
            .arg(last.P);
    return {};
}

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

class tst_LongPlay : public QObject
{
    Q_OBJECT
private slots:
    void tenThousandProblems();
};

void tst_LongPlay::tenThousandProblems()
{
    const int problems = qEnvironmentVariableIntValue("SUMSPROUT_LONGPLAY_PROBLEMS") > 0
                             ? qEnvironmentVariableIntValue("SUMSPROUT_LONGPLAY_PROBLEMS")
                             : 10000;
    TestGame t;
    TempDataDir &data = t.data;
    // Rich enough to pay out: wrong answers cost a coin from five gold on.
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("小明=5,0"), QStringLiteral("爸爸=0,0"),
                     QStringLiteral("妈妈=0,0"), QStringLiteral("老师=0,0")});
    // Every kind of problem the game offers, not only the shipped choice.
    for (const char *op : {"Add", "Dec", "Mul", "Div"}) {
        const QString set = QStringLiteral("Set/%1Set.Dat").arg(QLatin1String(op));
        const QString item = QStringLiteral("Set/%1Item.Dat").arg(QLatin1String(op));
        data.writeLines(set, data.readLines(set) + data.readLines(item));
    }
    TMainForm form(t.services());
    form.show();
    Session *game = form.Game();
    QVERIFY(game);
    // The stepped clock stands in for the window's timers.
    GameDriver driver(t.clock, form);
    // The answer's course runs out, and the submit button is ready again.
    auto courseEnds = [&] {
        return driver.passWhile([&] { return game->Busy(); }) && form.SpeedButton12->isEnabled();
    };

    auto type = [&](int32_t value, bool byButtons) {
        const QString digits = QString::number(value);
        // The keyboard takes three digits at most; longer answers go through the pad.
        if (byButtons || digits.size() > 3) {
            for (QChar c : digits)
                form.NumberButton[c.digitValue()]->click();
        } else {
            for (QChar c : digits)
                QTest::keyClick(&form, static_cast<Qt::Key>(Qt::Key_0 + c.digitValue()));
        }
    };
    auto submit = [&](bool byButton) {
        if (byButton)
            form.SpeedButton12->click();
        else
            QTest::keyClick(&form, Qt::Key_Return);
    };
    // Silver coins of the player's account, as the bot counts them.
    std::array<int64_t, 4> expected{500, 0, 0, 0};
    auto bank = [&] { return int64_t(game->PlayerGold()) * 100 + game->PlayerSilver(); };

    JournalProbe journal(data.path(QStringLiteral("Set/Progress.db")));
    // The first problem drawn in whole-answer mode.
    qint64 wholeFrom = 0;
    int seen[4] = {};
    int answers = 0, wrong = 0;
    long residentAtWarmUp = 0;
    for (int p = 0; p < problems; ++p) {
        if (p == problems / 2) {
            // Second half: whole answers in one go.
            data.writeLines(QStringLiteral("Set/Basic.dat"),
                            {QStringLiteral("Children=0"), QStringLiteral("Alg=0,1,2,3,"),
                             QStringLiteral("Hint=1"), QStringLiteral("AddDecMultiStep=0")});
            form.ApplySettings();
            wholeFrom = journal.value(QStringLiteral("SELECT max(id) FROM problems")).toLongLong();
        }
        if (p % 1000 == 999) form.WhoClick();
        if (p == 1000) residentAtWarmUp = residentKiB();
        TAlgo *engine = &game->controller().Engine();
        QVERIFY2(!engine->IsFinished(), qPrintable(QStringLiteral("no problem %1").arg(p)));
        ++seen[OpCode(game->controller().Operation())];
        // Now and then the child thinks long enough for the hint to fade in.
        if (p % 97 == 0) driver.pass(6000);
        int steps = 0;
        while (!engine->IsFinished()) {
            const int32_t answer = RightAnswer(engine);
            QVERIFY2(++steps < 40, qPrintable(QStringLiteral("problem %1 takes no answer; the "
                                                             "step asks for %2 by plain arithmetic")
                                                  .arg(p)
                                                  .arg(answer)));
            const int account = CoinBank::AccountIndex(game->Player());
            const bool byPad = (answers & 1) != 0;
            if (answers % 11 == 5) {
                const int64_t before = bank();
                type(answer + 1, byPad);
                submit(!byPad);
                if (before >= 500) --expected[account];
                ++wrong;
                QCOMPARE(bank(), expected[account]);
                QVERIFY(!engine->IsFinished());
                QVERIFY(courseEnds());
            }
            type(answer, byPad);
            submit(byPad);
            ++answers;
            QVERIFY2(form.AnswerLabel->text().isEmpty(), "answer not taken");
            QVERIFY(courseEnds());
            if (!engine->IsFinished()) continue;
            const QString fault = checkSolved(engine);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            expected[account] += engine->Reward();
            QCOMPARE(bank(), expected[account]);
        }
        QCOMPARE(game->SolvedCount(), p + 1);
        // The next problem follows once the reactions are over.
        QVERIFY2(driver.passWhile([&] { return game->ProblemFinished(); }),
                 "no next problem after 10 s");
    }
    QVERIFY(t.reporter.errors.isEmpty());
    for (int i = 0; i < 4; ++i)
        QVERIFY2(seen[i] > problems / 10, qPrintable(QStringLiteral("operation %1").arg(i)));
    QVERIFY(wrong > 0);

    // Missed problems came back, never two in three problems of a player, and addition and
    // subtraction came back in the mode they were played in while drawn ones followed the
    // settings.
    QVERIFY(
        journal.value(QStringLiteral("SELECT count(*) FROM problems WHERE review = 1")).toInt() >
        problems / 20);
    QCOMPARE(journal
                 .value(QStringLiteral(
                     "SELECT count(*) FROM problems p WHERE p.review = 1 AND "
                     "(SELECT sum(w.review) FROM (SELECT r.review FROM problems r WHERE r.player "
                     "= p.player AND r.id < p.id ORDER BY r.id DESC LIMIT 2) w) > 0"))
                 .toInt(),
             0);
    const QString secondHalf = QStringLiteral(
        "SELECT count(*) FROM problems WHERE id >= %1 AND operation < 2 AND step_mode = 1 AND "
        "review = %2");
    QCOMPARE(journal.value(secondHalf.arg(wholeFrom).arg(0)).toInt(), 0);
    QVERIFY(journal.value(secondHalf.arg(wholeFrom).arg(1)).toInt() > 0);

    // The coins on disk are the coins in the bank: a player change reads them anew.
    for (int player : {0, 2, 3, 4}) {
        game->SetPlayer(player);
        QCOMPARE(bank(), expected[CoinBank::AccountIndex(player)]);
    }
#ifndef SUMSPROUT_ASAN
    // The sanitizer's quarantine grows by design; elsewhere the heap must stay flat.
    if (residentAtWarmUp > 0) {
        const long growth = residentKiB() - residentAtWarmUp;
        QVERIFY2(growth < 16 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(growth)));
    }
#endif
    form.close();
}

QTEST_MAIN(tst_LongPlay)
#include "tst_LongPlay.moc"
