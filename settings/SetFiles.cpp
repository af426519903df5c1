#include "settings/SetFiles.h"

#include "core/Def.h"
#include "platform/TextFiles.h"

#include <algorithm>

namespace SetFiles {

namespace {
const char *const OpNames[4] = {"Add", "Dec", "Mul", "Div"};

bool validOp(int op)
{
    return op >= 0 && op < 4;
}
} // namespace

QString ItemList(int op)
{
    return validOp(op) ? QString::fromLatin1(OpNames[op]) + QStringLiteral("Item.Dat") : QString();
}

QString SetList(int op)
{
    return validOp(op) ? QString::fromLatin1(OpNames[op]) + QStringLiteral("Set.Dat") : QString();
}

QString Path(const QString &setFolder, const QString &name)
{
    return setFolder + name;
}

QStringList WrittenFiles()
{
    QStringList names = {Basic, Money};
    for (int op = 0; op < 4; ++op)
        names << ItemList(op) << SetList(op);
    return names;
}

QStringList ReadLines(const QString &setFolder, const QString &name)
{
    return readTextLines(Path(setFolder, name));
}

void WriteTogether(const QString &setFolder, const QList<std::pair<QString, QStringList>> &files)
{
    std::vector<FileWrite> writes;
    for (const auto &[name, lines] : files)
        writes.push_back({Path(setFolder, name), encodeLines(lines)});
    writeFilesTogether(writes);
}

QStringList BasicLines(bool girl, const QList<int> &ops, bool hint, bool stepMode, bool review)
{
    QString alg = QStringLiteral("Alg=");
    bool any = false;
    for (int op = 0; op < 4; ++op) {
        if (ops.contains(op)) {
            alg += QString::number(op) + QLatin1Char(',');
            any = true;
        }
    }
    if (!any) alg += QStringLiteral("0,");
    return {girl ? QStringLiteral("Children=1") : QStringLiteral("Children=0"), alg,
            hint ? QStringLiteral("Hint=1") : QStringLiteral("Hint=0"),
            stepMode ? QStringLiteral("AddDecMultiStep=1") : QStringLiteral("AddDecMultiStep=0"),
            review ? QStringLiteral("Review=1") : QStringLiteral("Review=0")};
}

bool ReviewOn(const QStringList &basicLines)
{
    return basicLines.size() < 5 || !HasZero(basicLines.at(4));
}

QStringList AlgCodes(const QString &line)
{
    QString s = line;
    qsizetype eq = s.indexOf(QLatin1Char('='));
    if (eq >= 0) s.remove(0, eq + 1);
    QStringList codes;
    while (!s.isEmpty()) {
        qsizetype comma = s.indexOf(QLatin1Char(','));
        if (comma < 0) {
            codes << s;
            break;
        }
        codes << s.left(comma);
        s.remove(0, comma + 1);
    }
    return codes;
}

QStringList DefaultItems(int op)
{
    static const char *const items[4][6] = {
        {"1位数+1位数>10(1硬币)", "2位数+1位数", "2位数+2位数", "3位数+1位数", "3位数+2位数",
         "3位数+3位数"},
        {"1位数-1位数", "2位数-1位数", "2位数-2位数", "3位数-1位数", "3位数-2位数", "3位数-3位数"},
        {"1位数×1位数", "2位数×1位数", "2位数×2位数", "3位数×1位数", "3位数×2位数", "3位数×3位数"},
        {"1位数÷1位数", "2位数÷1位数", "2位数÷2位数", "3位数÷1位数", "3位数÷2位数", nullptr}};
    QStringList out;
    if (!validOp(op)) return out;
    for (const char *item : items[op]) {
        if (item) out << QString::fromUtf8(item);
    }
    return out;
}

namespace {
// The code point at i, moving i past it; a lone surrogate reads as U+FFFD, as toUcs4() has it.
char32_t nextCodePoint(const QString &s, qsizetype &i)
{
    const QChar c = s.at(i++);
    if (c.isHighSurrogate() && i < s.size() && s.at(i).isLowSurrogate())
        return QChar::surrogateToUcs4(c, s.at(i++));
    return c.isSurrogate() ? char32_t(0xFFFD) : char32_t(c.unicode());
}
} // namespace

bool ListLess(const QString &a, const QString &b)
{
    // Not QString's own order: that compares UTF-16 units, which puts characters beyond
    // U+FFFF before U+E000..U+FFFF. Read in place: a sort compares often.
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = nextCodePoint(a, i);
        const char32_t y = nextCodePoint(b, j);
        if (x != y) return x < y;
    }
    return i == a.size() && j < b.size();
}

QStringList Sorted(QStringList lines)
{
    std::stable_sort(lines.begin(), lines.end(), ListLess);
    return lines;
}

} // namespace SetFiles
