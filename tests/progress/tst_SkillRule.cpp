#include "progress/SkillRule.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "EngineRig.h"
#include "RightAnswer.h"

#include <QtTest>

namespace {

QString text(const std::optional<Fact> &f)
{
    if (!f) return QStringLiteral(".");
    static const char signs[] = "+-x/";
    return QStringLiteral("%1%2%3")
        .arg(f->A)
        .arg(QLatin1Char(signs[OpCode(f->Operation)]))
        .arg(f->B);
}

int32_t resultOf(const Fact &f)
{
    switch (f.Operation) {
    case Op::Add:
        return f.A + f.B;
    case Op::Dec:
        return f.A - f.B;
    case Op::Mul:
        return f.A * f.B;
    case Op::Div:
        return f.A / f.B;
    }
    return -1;
}

// Plays the problem on its engine and checks every step the shape calls a fact: the engine
// asks exactly that fact's result there, and the shape has as many steps as the engine.
template <class Engine>
void playAgainst(Op op, const ProblemShape &shape, int32_t a, int32_t b, bool steps)
{
    EngineRig<Engine> rig;
    PoseProblem(*rig.engine, op, a, b, steps);
    size_t step = 0;
    for (; !rig.engine->IsFinished(); ++step) {
        QVERIFY(step < shape.StepFacts.size());
        const int32_t right = RightAnswer(rig.engine.get());
        if (shape.StepFacts[step]) QCOMPARE(resultOf(*shape.StepFacts[step]), right);
        QVERIFY(rig.engine->CheckAnswer(right));
        rig.nextStep();
    }
    QCOMPARE(step, shape.StepFacts.size());
}

} // namespace

class tst_SkillRule : public QObject
{
    Q_OBJECT

private slots:
    void shapeIsWhatTheBoardAsks_data();
    void shapeIsWhatTheBoardAsks();
};

void tst_SkillRule::shapeIsWhatTheBoardAsks_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("steps");
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("stepFacts");

    QTest::newRow("38+45 by columns: one carry") << 0 << 38 << 45 << true << 1 << "8+5 .";
    QTest::newRow("95+17 whole: a carry into a column that carries")
        << 0 << 95 << 17 << false << 3 << ".";
    QTest::newRow("305+7: columns with one digit ask no fact")
        << 0 << 305 << 7 << true << 1 << "5+7 . .";
    QTest::newRow("8+5 whole is a fact") << 0 << 8 << 5 << false << 0 << "8+5";
    QTest::newRow("302-178: a borrow across a zero") << 1 << 302 << 178 << true << 3 << "12-8 . .";
    QTest::newRow("47x6: one carry") << 2 << 47 << 6 << true << 1 << "7x6 .";
    QTest::newRow("23x12: digit products, then column sums")
        << 2 << 23 << 12 << true << 0 << "3x2 2x2 3x1 2x1 . . .";
    QTest::newRow("412/4: a zero quotient digit")
        << 3 << 412 << 4 << true << 3 << "4/4 . . . . . 12/4 . .";
    QTest::newRow("156/12: no fact for a two-digit divisor")
        << 3 << 156 << 12 << true << 1 << ". . . . . .";
}

void tst_SkillRule::shapeIsWhatTheBoardAsks()
{
    QFETCH(int, op);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, steps);
    QFETCH(int, form);
    QFETCH(QString, stepFacts);
    const ProblemShape shape = SkillRule::shapeOf(static_cast<Op>(op), a, b, steps);
    QCOMPARE(shape.Form, form);
    QStringList shown;
    for (const std::optional<Fact> &f : shape.StepFacts)
        shown << text(f);
    QCOMPARE(shown.join(QLatin1Char(' ')), stepFacts);
    using Play = void (*)(Op, const ProblemShape &, int32_t, int32_t, bool);
    const Play play[] = {playAgainst<TAdd>, playAgainst<TDec>, playAgainst<TMul>,
                         playAgainst<TDiv>};
    play[op](static_cast<Op>(op), shape, a, b, steps);
}

QTEST_MAIN(tst_SkillRule)
#include "tst_SkillRule.moc"
