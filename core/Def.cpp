#include "core/Def.h"

#include "platform/Bitmap.h"
#include "platform/BlendKernel.h"
#include "platform/Errors.h"

#include <QPainter>
#include <algorithm>
#include <limits>

bool OpFromCode(int32_t code, Op &op)
{
    if (code < 0 || code >= OpCount) return false;
    op = static_cast<Op>(code);
    return true;
}

QString textBefore(const QString &text, QStringView sep)
{
    const qsizetype i = text.indexOf(sep);
    return i < 0 ? QString() : text.left(i);
}

QString textBefore(const QString &text, QChar sep)
{
    return textBefore(text, QStringView(&sep, 1));
}

void deleteThrough(QString &text, QStringView sep)
{
    const qsizetype i = text.indexOf(sep);
    if (i >= 0) text.remove(0, i + sep.size());
}

void deleteThrough(QString &text, QChar sep)
{
    deleteThrough(text, QStringView(&sep, 1));
}

int32_t LenientInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        value = std::min<int64_t>(value, int64_t(std::numeric_limits<int32_t>::max()) + 1);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t StrictInt(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    qsizetype signAt = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
    qsizetype digitsAt = i;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
        ++i;
    if (digitsAt == i || i != text.size()) raiseConversion(text);
    bool ok = false;
    qlonglong v = QStringView(text).mid(signAt).toLongLong(&ok);
    if (!ok || v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        raiseConversion(text);
    return static_cast<int32_t>(v);
}

bool HasZero(const QString &line)
{
    return line.contains(QLatin1Char('0'));
}

const QString &LineAt(const QStringList &lines, int i)
{
    if (i < 0 || i >= lines.size()) raiseListIndex(i);
    return lines.at(i);
}

ProblemType ParseProblemType(const QString &line, QChar op, bool comparisons, QString *rest)
{
    ProblemType t;
    t.Digits1 = StrictInt(line.left(1));
    QString s = line;
    deleteThrough(s, QString(op));
    t.Digits2 = StrictInt(s.left(1));
    if (comparisons) {
        const struct
        {
            QChar sign;
            int32_t compare;
        } signs[] = {{QLatin1Char('>'), 1}, {QLatin1Char('='), 0}, {QLatin1Char('<'), -1}};
        for (const auto &c : signs) {
            if (s.contains(c.sign)) {
                t.Compare = c.compare;
                deleteThrough(s, QString(c.sign));
                t.Threshold = LenientInt(textBefore(s, QStringLiteral("(")));
            }
        }
    }
    deleteThrough(s, QStringLiteral("("));
    t.Coins = LenientInt(textBefore(s, QStringLiteral("硬币")));
    if (rest) *rest = s;
    return t;
}

void TickSlots::ArmSlot(int32_t ms, int slot)
{
    if (slot >= 0 && slot < int(m_slots.size())) m_slots[slot] = ms;
}

bool TickSlots::SlotElapsed(int slot)
{
    if (slot < 0 || slot >= int(m_slots.size())) return true;
    if (m_slots[slot] > 0) return false;
    m_slots[slot] = 0;
    return true;
}

void TickSlots::CountDownSlots(int32_t interval)
{
    for (int32_t &slot : m_slots) {
        if (slot > 0) {
            slot -= interval;
            if (slot < 0) slot = 0;
        }
    }
}

int32_t TickSlots::Left(int slot) const
{
    return slot >= 0 && slot < int(m_slots.size()) ? m_slots[slot] : 0;
}

void BlendBitmap(Bitmap &destination, Bitmap &source, int32_t x, int32_t y, uint16_t percent)
{
    if (destination.isEmpty() || source.isEmpty()) return;
    const QColor k = source.transparent ? source.transparentColor() : QColor(0, 0, 0);
    if (destination.deviceResolution() || source.deviceResolution()) {
        // Pictures kept at device resolution carry their own coverage.
        Bitmap layer = source;
        layer.setPixelRatio(destination.pixelRatio());
        QPainter p(&destination.image());
        p.setOpacity(percent / 100.0);
        p.drawImage(toDevicePixels(x, destination.pixelRatio()),
                    toDevicePixels(y, destination.pixelRatio()), layer.image());
        return;
    }
    const uint8_t key[3] = {static_cast<uint8_t>(k.red()), static_cast<uint8_t>(k.green()),
                            static_cast<uint8_t>(k.blue())};
    const int rows = std::min(source.height(), destination.height());
    const int cols = std::min(source.width(), destination.width());
    // Only the landing area inside the destination is read or written.
    const int c0 = std::max(0, -x);
    const int r0 = std::max(0, -y);
    const int c1 = std::min(cols, destination.width() - x);
    const int r1 = std::min(rows, destination.height() - y);
    if (c1 <= c0) return;
    if (r1 <= r0) return;
    QImage &dst = destination.image();
    const QImage &src = source.image();
    const KeyedBlend blend(key, 3, percent);
    const qsizetype rowBytes = 3 * qsizetype(c1 - c0);
    // Whole rows without padding on both sides are one span, whatever the row length.
    if (x == 0 && c1 == source.width() && c1 == destination.width() &&
        dst.bytesPerLine() == rowBytes && src.bytesPerLine() == rowBytes) {
        blend.apply(dst.scanLine(y + r0), src.constScanLine(r0),
                    static_cast<size_t>(rowBytes * (r1 - r0)));
        return;
    }
    for (int r = r0; r < r1; ++r)
        blend.apply(dst.scanLine(y + r) + 3 * (x + c0), src.constScanLine(r) + 3 * c0,
                    static_cast<size_t>(rowBytes));
}

void DrawGlyphText(Bitmap &destination, int32_t x, int32_t y, const QString &text, int32_t size,
                   const QColor &colour, const QColor &edge)
{
    Bitmap::Font f;
    f.face = QStringLiteral("Comic Sans MS");
    f.size = size;
    f.color = colour;
    f.edge = edge;
    // Edge pixels blended with the key would show as a fringe; at device resolution the
    // bitmap keeps coverage instead and smooths them.
    f.antialias = false;
    destination.glyphText(x, y, text, f);
}

int CompareLayers(const SceneLayer &a, const SceneLayer &b)
{
    if (a.Depth < b.Depth) return -1;
    if (a.Depth > b.Depth) return 1;
    return 0;
}
