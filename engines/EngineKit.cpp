#include "engines/EngineKit.h"

#include "core/EngineHost.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/TextFiles.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>

int DigitCount(int32_t n)
{
    // As many characters as the number written out, a minus sign included; no string, since
    // the draw loops call this for every candidate.
    int64_t v = n;
    int count = v < 0 ? 2 : 1;
    if (v < 0) v = -v;
    for (; v >= 10; v /= 10)
        ++count;
    return count;
}

int32_t DigitAt(int32_t n, int i)
{
    for (; i > 0; --i)
        n /= 10;
    return n % 10;
}

int32_t RangeFor(int digits)
{
    return digits == 1 ? 10 : digits == 2 ? 100 : 1000;
}

int32_t DrawWithDigits(Random &random, int digits)
{
    int32_t v;
    do {
        v = random.below(RangeFor(digits));
    } while (DigitCount(v) != digits);
    return v;
}

void ReseedForProblem(EngineHost &host)
{
    host.random().seed(host.GetTickCount());
    host.random().below(host.GetTickCount());
}

std::vector<ProblemType> ReadProblemTypes(const EngineHost &host, const QString &relative, QChar op,
                                          bool comparisons, std::vector<QString> *rests)
{
    const QStringList lines = host.ReadDataLines(relative);
    std::vector<ProblemType> types;
    types.reserve(lines.size());
    if (rests) rests->clear();
    const QString file = resolvePath(host.folders().appDir + relative);
    for (const QString &line : lines) {
        QString rest;
        // A line that is no problem type is told by its file and line.
        types.push_back(inFile(file, int(types.size()) + 1,
                               [&] { return ParseProblemType(line, op, comparisons, &rest); }));
        types.back().Line = line;
        if (rests) rests->push_back(rest);
    }
    return types;
}

std::vector<int> UsableTypes(const std::vector<ProblemType> &types,
                             bool (*canDraw)(const ProblemType &))
{
    std::vector<int> usable;
    for (size_t i = 0; i < types.size(); ++i) {
        if (canDraw(types[i])) usable.push_back(static_cast<int>(i));
    }
    return usable;
}

const ProblemType &PickType(Random &random, const std::vector<ProblemType> &types,
                            const std::vector<int> &usable)
{
    return types[usable[random.below(static_cast<int64_t>(usable.size()))]];
}

const ProblemType *ChosenType(const std::vector<ProblemType> &types, const QString &typeLine,
                              int32_t a, int32_t b)
{
    if (typeLine.isEmpty() || a < 0 || b < 0) return nullptr;
    const auto t = std::find_if(types.begin(), types.end(),
                                [&](const ProblemType &type) { return type.Line == typeLine; });
    if (t == types.end()) return nullptr;
    return DigitCount(a) == t->Digits1 && DigitCount(b) == t->Digits2 ? &*t : nullptr;
}

bool TakeChosenType(const std::vector<ProblemType> &types, const QString &typeLine, int32_t a,
                    int32_t b, QString &line, int32_t &coins)
{
    const ProblemType *t = ChosenType(types, typeLine, a, b);
    if (!t) return false;
    line = typeLine;
    coins = t->Coins;
    return true;
}

bool SomePairPasses(const ProblemType &t, bool (*accept)(const ProblemType &, int32_t, int32_t))
{
    if (t.Digits1 < 1 || t.Digits1 > 3 || t.Digits2 < 1 || t.Digits2 > 3) return false;
    const int32_t first = t.Digits1 == 1 ? 0 : RangeFor(t.Digits1 - 1);
    for (int32_t a = first; a < RangeFor(t.Digits1); ++a) {
        for (int32_t b = 0; b < RangeFor(t.Digits2); ++b) {
            if (accept(t, a, b)) return true;
        }
    }
    return false;
}

int32_t ColumnsRightX(int columns)
{
    return 70 + 20 * columns;
}

void DrawSplitHint(Bitmap &hint, int32_t top, int32_t left, int32_t right)
{
    hint.font.size = 20;
    hint.font.color = Blue;
    const int s1 = 20 + 20 / 2;
    hint.textOut(s1 - s1 / 4, 0, QString::number(top));
    hint.textOut(0, s1, QStringLiteral("↙"));
    hint.textOut(s1, s1, QStringLiteral("↘"));
    hint.textOut(0, 2 * s1, QString::number(left));
    hint.textOut(s1 + s1 / 2, 2 * s1, QString::number(right));
}

void UseRed(Bitmap &board)
{
    board.font.color = Red;
    board.font.edge = Chalk;
    board.pen.color = Red;
    board.pen.edge = Chalk;
}

void UseYellow(Bitmap &board)
{
    board.font.color = Yellow;
    board.font.edge = QColor();
    board.pen.color = Yellow;
    board.pen.edge = QColor();
}

namespace {

// Runs draw with the board's font, pen and brush as they were afterwards.
template <class F> void keepingState(Bitmap &board, F draw)
{
    const Bitmap::Font font = board.font;
    const Bitmap::Pen pen = board.pen;
    const QColor brush = board.brush;
    draw();
    board.font = font;
    board.pen = pen;
    board.brush = brush;
}

// The x of a value's leftmost digit when its units stand at unitsX, moved right as far as
// needed to keep it on the board.
int32_t leftmostX(int32_t unitsX, int32_t colWidth, int digits)
{
    return std::max(unitsX - (digits - 1) * colWidth, 2);
}

} // namespace

void DrawStruck(Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth, int32_t size,
                int32_t value)
{
    keepingState(board, [&] {
        const QString text = QString::number(value);
        const int n = static_cast<int>(text.size());
        board.font.color = Chalk;
        board.font.edge = QColor();
        board.font.size = size;
        board.brush = KeyGrey;
        auto glyph = [&] { return board.textExtent(QStringLiteral("0")).width(); };
        // The units stay where they were asked; a value too long for the columns on their
        // left is written closer, then smaller, rather than over what stands on their right.
        const int32_t right = std::min(unitsX + glyph(), board.width() - 2);
        int32_t step = colWidth;
        while (n > 1 && (n - 1) * step + glyph() > right - 2) {
            if (step > glyph())
                step = glyph();
            else if (board.font.size > 9)
                --board.font.size;
            else
                break;
        }
        const int32_t left = std::max(2, right - glyph() - (n - 1) * step);
        for (int i = 0; i < n; ++i)
            board.textOut(left + i * step, y, text.at(i));
        // The stroke through the digits' middle, drawn a little aslant as by hand.
        const int32_t h = board.textExtent(text).height();
        const int32_t mid = y + h * 11 / 20;
        board.pen.color = Chalk;
        board.pen.edge = QColor();
        board.pen.width = std::max(2, h / 12);
        const int32_t margin = board.pen.width;
        board.line(std::max(left - 3, margin), mid + 3,
                   std::min(left + (n - 1) * step + glyph() + 3, board.width() - 1 - margin),
                   mid - 3);
    });
}

QRect WorkedValueRect(const Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth,
                      int32_t size, int32_t value)
{
    Bitmap::Font font = board.font;
    font.size = size;
    const QString text = QString::number(value);
    const int n = static_cast<int>(text.size());
    const QSize glyph = Bitmap::textExtent(font, QStringLiteral("0"));
    const int32_t left = leftmostX(unitsX, colWidth, n);
    return QRect(left - 3, y, (n - 1) * colWidth + glyph.width() + 6, glyph.height());
}

void DrawWorkedValue(Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth, int32_t size,
                     int32_t value)
{
    const int n = DigitCount(value);
    DrawWorkedValueFrom(board, leftmostX(unitsX, colWidth, n), y, colWidth, size, value);
}

void DrawWorkedValueFrom(Bitmap &board, int32_t x, int32_t y, int32_t colWidth, int32_t size,
                         int32_t value)
{
    keepingState(board, [&] {
        const QString text = QString::number(value);
        const int n = static_cast<int>(text.size());
        board.font.size = size;
        board.font.color = Blue;
        board.font.edge = QColor();
        const QSize glyph = board.textExtent(QStringLiteral("0"));
        // One slip under all the digits, as the hint's panel is under its text.
        board.brush = NotePaper;
        board.fillRect(QRect(x - 3, y, (n - 1) * colWidth + glyph.width() + 6, glyph.height()));
        for (int i = 0; i < n; ++i)
            board.textOut(x + i * colWidth, y, text.at(i));
    });
}

int32_t BelowDigits(const Bitmap &board, int32_t y, int size)
{
    Bitmap::Font font = board.font;
    font.size = size;
    return y + Bitmap::textAscent(font) +
           static_cast<int32_t>(std::ceil(Bitmap::TextEdgeWidth(size))) + 1;
}

int32_t NoteHeight(const Bitmap &board, int size)
{
    Bitmap::Font font = board.font;
    font.size = size;
    return Bitmap::textExtent(font, QStringLiteral("0")).height();
}

QRect DrawNote(Bitmap &board, const QRect &area, const QString &text, NoteKind kind, int largest)
{
    QRect taken;
    keepingState(board, [&] {
        board.font.face = QStringLiteral("Comic Sans MS");
        board.font.edge = QColor();
        board.font.color = kind == NoteKind::Reasoning ? Blue : Chalk;
        board.font.size = largest;
        const int pad = kind == NoteKind::Reasoning ? 3 : 0;
        while (board.font.size > 9 && (board.textExtent(text).width() + 2 * pad > area.width() ||
                                       board.textExtent(text).height() > area.height()))
            --board.font.size;
        const QSize extent = board.textExtent(text);
        const int32_t x = area.left() + std::max(0, (area.width() - extent.width()) / 2);
        const int32_t y = area.top() + std::max(0, (area.height() - extent.height()) / 2);
        board.brush = kind == NoteKind::Reasoning ? NotePaper : KeyGrey;
        taken = QRect(x - pad, y, extent.width() + 2 * pad, extent.height());
        if (kind == NoteKind::Reasoning) board.fillRect(taken);
        board.textOut(x, y, text);
    });
    return taken;
}

int RecitalNeededSize(const Bitmap &hint, const QString &line)
{
    Bitmap::Font font = hint.font;
    font.face = QStringLiteral("Comic Sans MS");
    for (font.size = 18; font.size > 12; --font.size) {
        if (Bitmap::textExtent(font, line).width() <= hint.width()) break;
    }
    return font.size;
}

void DrawRecital(Bitmap &hint, const Recital &r, uint32_t elapsedMs)
{
    const int small = 12;
    const int large = r.Lines.isEmpty() ? small : RecitalNeededSize(hint, r.Lines.at(r.Needed));
    Bitmap::Font font = hint.font;
    font.face = QStringLiteral("Comic Sans MS");
    font.color = Blue;
    font.edge = QColor();
    auto sizeOf = [&](int i) { return i == r.Needed ? large : small; };
    auto heightOf = [&](int i) {
        Bitmap::Font f = font;
        f.size = sizeOf(i);
        return Bitmap::textExtent(f, r.Lines.at(i)).height();
    };
    const int gap = 2;
    int total = 0;
    for (int i = 0; i < r.Lines.size(); ++i)
        total += heightOf(i) + (i > 0 ? gap : 0);
    int y = std::max(0, (hint.height() - total) / 2);
    // Every line has its place from the start, so that none moves when the next one comes.
    const uint32_t neededAt = static_cast<uint32_t>(r.Needed) * RecitalStepMs;
    for (int i = 0; i < r.Lines.size(); ++i) {
        const bool shown = i < r.Needed ? elapsedMs >= static_cast<uint32_t>(i) * RecitalStepMs
                                        : elapsedMs >= neededAt;
        font.size = sizeOf(i);
        if (shown) {
            hint.font = font;
            const int w = hint.textExtent(r.Lines.at(i)).width();
            hint.textOut(std::max(0, (hint.width() - w) / 2), y, r.Lines.at(i));
        }
        y += heightOf(i) + gap;
    }
}
