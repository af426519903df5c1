// How the engines show a step being mended (the wrong value struck where it was asked, the
// worked step, the praise), at every step of every layout: on the board, clear of the
// problem's ink, the red marks edged; and each step's facts expect what the step takes.
#include "support/EngineRig.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "engines/Mistakes.h"
#include "support/RightAnswer.h"

#include <QtTest>

namespace {

// A wrong value with as many digits as v.
int32_t sameLength(int32_t v)
{
    return v % 10 == 9 ? v - 1 : v + 1;
}

bool isMending(const DrawOp &op)
{
    if (op.kind == DrawOp::Fill) return op.color == NotePaper;
    return op.color == Chalk || op.color == Blue;
}

// Marks off the board, mending over the problem's ink, red marks without their edge.
QStringList faultsOf(const Bitmap &board, bool overlapsMatter)
{
    QStringList faults = MarksOutside(board.ops(), board.image().rect());
    for (const DrawOp &op : board.ops()) {
        if (op.color == Red && op.kind != DrawOp::Fill && op.edge != Chalk)
            faults << QStringLiteral("'%1' without its edge").arg(op.text);
        if (!overlapsMatter || !isMending(op)) continue;
        const QRect mine =
            op.kind == DrawOp::Fill ? QRect(op.p1, op.p2 - QPoint(1, 1)) : MarkRect(op);
        for (const DrawOp &ink : board.ops()) {
            if (ink.kind != DrawOp::Fill && !isMending(ink) && mine.intersects(MarkRect(ink)))
                faults << QStringLiteral("'%1' over '%2' at (%3,%4)")
                              .arg(op.text, ink.text)
                              .arg(ink.p1.x())
                              .arg(ink.p1.y());
        }
    }
    return faults;
}

// Plays the problem through by the values its steps tell of, showing each kind of mending at
// every step.
template <class E> QStringList playMended(EngineRig<E> &rig)
{
    QStringList faults;
    for (int step = 0; !rig.engine->IsFinished() && step < 60; ++step) {
        // What the last answer set moving (a rule, a line) done.
        for (int i = 0; i < 20; ++i)
            rig.tick();
        const StepFacts f = rig.engine->CurrentFacts();
        const QString at = QStringLiteral("step %1, ").arg(step);
        auto show = [&](const Mending &m, bool overlapsMatter, const char *what) {
            rig.engine->SetMending(m);
            rig.tick();
            for (const QString &fault : faultsOf(rig.board, overlapsMatter))
                faults << at + QLatin1String(what) + QStringLiteral(": ") + fault;
        };
        show({true, sameLength(f.Expected), false, false}, true, "struck");
        show({true, f.Expected * 10 + 1, false, false}, true, "longer struck");
        show({true, 1234567890, false, false}, false, "long struck");
        show({true, sameLength(f.Expected), true, false}, true, "worked");
        QString blue;
        for (const DrawOp &op : EngineRig<E>::texts(rig.board, Blue))
            blue += op.text + QLatin1Char('|');
        if (!blue.contains(WorkedReasoning(f)))
            faults << at + QStringLiteral("no reasoning in ") + blue;
        rig.engine->SetMending({});
        if (rig.engine->CheckAnswer(sameLength(f.Expected)) || !rig.engine->CheckAnswer(f.Expected))
            return faults << at + QStringLiteral("does not take its %1").arg(f.Expected);
        show({false, 0, false, true}, true, "praised");
        rig.nextStep();
        show({false, 0, false, true}, true, "praised, next step");
        rig.engine->SetMending({});
    }
    if (rig.engine->CurrentFacts().Kind != StepKind::None) faults << QStringLiteral("facts after");
    faults.removeDuplicates();
    return faults;
}

template <class E> QStringList mended(Op op, int a, int b, bool steps)
{
    EngineRig<E> rig;
    PoseProblem(*rig.engine, op, a, b, steps);
    return playMended(rig);
}

} // namespace

class tst_Mending : public QObject
{
    Q_OBJECT
private slots:
    void everyLayout_data();
    void everyLayout();
};

void tst_Mending::everyLayout_data()
{
    QTest::addColumn<QString>("problem"); // "a+b": by steps, "a+b=": as a whole
    const QString layouts =
        "7+8 99+99 305+7 999+999 7+8= 99+99= 305+7= 999+999= 9-3 105-98 523-187 352-158 9-3= "
        "105-98= 523-187= 352-158= 7x8 3x0 47x8 347x8 999x9 47x36 99x99 347x36 999x999 "
        "347x126 7/3 23/7 99/20 96/4 180/20 156/12 999/11 412/4 845/5 987/3";
    for (const QString &problem : layouts.split(QLatin1Char(' ')))
        QTest::newRow(qPrintable(problem)) << problem;
}

void tst_Mending::everyLayout()
{
    QFETCH(QString, problem);
    const qsizetype at = problem.indexOf(QRegularExpression(QStringLiteral("[-+x/]")));
    const Op op = Op(QStringLiteral("+-x/").indexOf(problem[at]));
    const int a = problem.left(at).toInt(),
              b = problem.mid(at + 1).remove(QLatin1Char('=')).toInt();
    const bool steps = !problem.endsWith(QLatin1Char('='));
    using Play = QStringList (*)(Op, int, int, bool);
    const Play play[] = {mended<TAdd>, mended<TDec>, mended<TMul>, mended<TDiv>};
    const QStringList faults = play[OpCode(op)](op, a, b, steps);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_Mending)
#include "tst_Mending.moc"
