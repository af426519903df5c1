// The mistake recognisers from one table: every named mistake, shown by what a child types,
// beside near misses that are none; the words each is said in; a worked step's reasoning.
#include "engines/Mistakes.h"

#include <QSet>
#include <QtTest>

namespace {

StepFacts facts(StepKind kind, std::vector<int32_t> terms, int32_t expected, int32_t carryIn = 0,
                bool borrows = false, int32_t column = 0, bool writesWhole = true)
{
    return StepFacts{kind, expected, column, std::move(terms), carryIn, borrows, writesWhole};
}

struct Case
{
    const char *name;
    Op op;
    StepFacts step;
    int32_t typed;
    Mistake mistake;
    const char *words; // what the bubble says; null for nothing
};

using K = StepKind;
using M = Mistake;
using enum Op;

const std::vector<Case> Cases = {
    // 3 + 4 with 1 carried; 8 + 7; 9 + 9 with 1 carried.
    {"add carry", Add, facts(K::AddColumn, {3, 4}, 8, 1), 7, M::AddCarryForgotten,
     "别忘了加上进位的1"},
    {"add units only", Add, facts(K::AddColumn, {8, 7}, 15), 5, M::AddUnitsOnly,
     "和是两位数，十位也要写上"},
    {"add one less, nothing carried", Add, facts(K::AddColumn, {3, 4}, 7), 6, M::Other, nullptr},
    // 38 + 45 = 83 and 95 + 17 = 112 in one go.
    {"add whole, no carries", Add, facts(K::AddWhole, {38, 45}, 83), 73, M::AddCarryForgotten,
     "别忘了加上进位的1"},
    {"add whole, column sums", Add, facts(K::AddWhole, {38, 45}, 83), 713, M::AddColumnSumWritten,
     "满十要进一，这里只写个位"},
    // 53 - 27 at the units; 523 - 187 at the tens; 352 - 158 at the tens; 7 - 3.
    {"dec smaller from larger", Dec, facts(K::DecColumn, {3, 7}, 6, 0, true), 4,
     M::DecSmallerFromLarger, "3不够减7，要向十位借1"},
    {"dec smaller from larger, lent", Dec, facts(K::DecColumn, {2, 8}, 3, 1, true, 1), 6,
     M::DecSmallerFromLarger, "1不够减8，要向百位借1"},
    {"dec borrow forgotten", Dec, facts(K::DecColumn, {5, 2}, 2, 1, false, 1), 3,
     M::DecBorrowForgotten, "借走了1，要先减去1"},
    {"dec borrow forgotten, borrowing", Dec, facts(K::DecColumn, {5, 5}, 9, 1, true, 1), 0,
     M::DecBorrowForgotten, "借走了1，要先减去1"},
    {"dec nothing to borrow", Dec, facts(K::DecColumn, {7, 3}, 4), 3, M::Other, nullptr},
    {"dec whole, smaller from larger", Dec, facts(K::DecWhole, {53, 27}, 26), 34,
     M::DecSmallerFromLarger, "不够减时，向前一位借1"},
    {"dec whole, never paid back", Dec, facts(K::DecWhole, {53, 27}, 26), 36, M::DecBorrowForgotten,
     "借出过1的那一位，要先减去1"},
    // 7 x 8; 4 x 8 with 5 carried; a sum column with 1 carried.
    {"mul 6x8", Mul, facts(K::MulProduct, {7, 8}, 56), 48, M::MulNeighbourFact,
     "口诀记错了，再背一遍口诀"},
    {"mul 6x9", Mul, facts(K::MulProduct, {7, 8}, 56), 54, M::MulNeighbourFact,
     "口诀记错了，再背一遍口诀"},
    {"mul 7x9", Mul, facts(K::MulProduct, {7, 8}, 56), 63, M::MulNeighbourFact,
     "口诀记错了，再背一遍口诀"},
    {"mul 8x8", Mul, facts(K::MulProduct, {7, 8}, 56), 64, M::MulNeighbourFact,
     "口诀记错了，再背一遍口诀"},
    {"mul far off", Mul, facts(K::MulProduct, {7, 8}, 56), 65, M::Other, nullptr},
    {"mul carry", Mul, facts(K::MulProduct, {4, 8}, 37, 5), 32, M::MulCarryNotAdded,
     "别忘了加上进位的5"},
    {"mul column carry", Mul, facts(K::MulColumn, {8, 1}, 10, 1), 9, M::MulCarryNotAdded,
     "别忘了加上进位的1"},
    // 30 divided by 7 at this stage.
    {"div too large", Div, facts(K::DivQuotient, {30, 7}, 4), 5, M::DivQuotientTooLarge,
     "商大了，试试小一点的数"},
    {"div too small", Div, facts(K::DivQuotient, {30, 7}, 4), 3, M::DivQuotientTooSmall,
     "商小了，试试大一点的数"},
    {"right", Mul, facts(K::MulProduct, {4, 8}, 37, 5), 37, M::None, nullptr},
};

} // namespace

class tst_Mistakes : public QObject
{
    Q_OBJECT
private slots:
    void recognised_data();
    void recognised();
    void everyNamedMistakeIsInTheTable();
};

void tst_Mistakes::recognised_data()
{
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < Cases.size(); ++i)
        QTest::newRow(Cases[i].name) << int(i);
}

void tst_Mistakes::recognised()
{
    QFETCH(int, index);
    const Case &c = Cases[size_t(index)];
    const Mistake m = RecogniseMistake(c.op, c.step, c.step.Expected, c.typed);
    QCOMPARE(int(m), int(c.mistake));
    QCOMPARE(MistakeWords(m, c.step), c.words ? QString::fromUtf8(c.words) : QString());
    // Told only for its own operation.
    for (Op other : AllOps) {
        if (other != c.op && c.mistake != Mistake::None)
            QCOMPARE(int(RecogniseMistake(other, c.step, c.step.Expected, c.typed)),
                     int(Mistake::Other));
    }
}

// Every named mistake is shown above, and each is told apart from the others in the journal.
void tst_Mistakes::everyNamedMistakeIsInTheTable()
{
    QSet<int> shown;
    for (const Case &c : Cases)
        shown << int(c.mistake);
    QSet<QString> keys{MistakeKey(Mistake::Other), MistakeKey(Mistake::None)};
    for (const NamedMistake &m : NamedMistakes()) {
        QVERIFY2(shown.contains(int(m.Kind)), m.Key);
        keys << MistakeKey(m.Kind);
    }
    QCOMPARE(keys.size(), qsizetype(NamedMistakes().size()) + 2);
}

QTEST_MAIN(tst_Mistakes)
#include "tst_Mistakes.moc"
