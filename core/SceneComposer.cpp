#include "core/SceneComposer.h"

#include "platform/BlendKernel.h"
#include "platform/LargeDrawing.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace {

// A sheet cell not shown for this many ticks (a minute) is made again when it returns; a
// plain picture only lives while it is shown, since the next version has another id.
const quint64 CellLifetime = 600;

QSize deviceSize(const Bitmap &b, qreal ratio)
{
    return QSize(toDevicePixels(b.width(), ratio), toDevicePixels(b.height(), ratio));
}

// Premultiplied source over the destination, for the soft edges of scaled pictures.
inline void over(uint32_t &d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 255) {
        d = s;
        return;
    }
    const uint32_t t = 255 - a;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF;
        const uint32_t sc = (s >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, sc + (dc * t + 127) / 255) << shift;
    }
    d = out;
}

// The same at percent, for soft edges of blended layers.
inline void overAt(uint32_t &d, uint32_t s, int percent)
{
    const uint32_t w = (s >> 24) * static_cast<uint32_t>(percent); // up to 25500
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF;
        const uint32_t sc = (s >> shift) & 0xFF;
        const uint32_t v = (dc * (25500 - w) + sc * static_cast<uint32_t>(percent) * 255) / 25500;
        out |= std::min<uint32_t>(255, v) << shift;
    }
    d = out;
}

// The picture's large drawing at exactly size, premultiplied; null when it has none that
// can be read, or when the picture is keyed on another colour than the one the drawing
// leaves out.
QImage fromLargeDrawing(const Bitmap &picture, QRgb key, bool background, QSize size)
{
    const Bitmap::Large large = picture.largeDrawing();
    if (!large || (!background && large.drawing->key() != key)) return {};
    const QImage &whole = large.drawing->image();
    const int s = LargeDrawing::Scale;
    const QRect part(large.part.topLeft() * s, large.part.size() * s);
    if (whole.isNull() || part.isEmpty() || !whole.rect().contains(part)) return {};
    // Only the part, so a sheet cell is smoothed without its neighbours' edges.
    QImage view(whole.constScanLine(part.top()) + 4 * part.left(), part.width(), part.height(),
                whole.bytesPerLine(), whole.format());
    if (!background) {
        // The key colour does not show in the large drawing either; taken out before
        // smoothing, as from the small picture.
        view = view.copy();
        const QRgb hidden = 0xFF000000u | key;
        for (int y = 0; y < view.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(view.scanLine(y));
            std::replace(row, row + view.width(), hidden, QRgb(0));
        }
    }
    QImage out = view.size() == size
                     ? view.copy()
                     : view.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return background ? out.convertToFormat(QImage::Format_RGB32) : out;
}

} // namespace

size_t SceneComposer::CacheHash::operator()(const CacheKey &k) const
{
    return qHashMulti(0, k.id.image, k.id.cell.x(), k.id.cell.y(), k.id.cell.width(),
                      k.id.cell.height(), k.key, k.background);
}

void SceneComposer::setPixelRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio == m_ratio) return;
    m_ratio = ratio;
    m_cache.clear();
    m_valid = false;
}

const SceneComposer::Prepared &SceneComposer::prepare(const Bitmap &picture, const CacheKey &ck)
{
    const QRgb key = ck.key;
    const bool background = ck.background;
    auto it = m_cache.find(ck);
    if (it != m_cache.end()) {
        it->second.lastUsed = m_tick;
        return it->second;
    }
    Prepared p;
    p.lastUsed = m_tick;
    const QSize size = deviceSize(picture, m_ratio);
    const QImage &source = picture.image();
    // Above ratio 1 a drawing made large is smoothed to size; the small picture is the
    // fallback, and at ratio 1 the only source.
    const QImage large =
        m_ratio > 1.0 ? fromLargeDrawing(picture, key, background, size) : QImage();
    if (background) {
        p.image = large.isNull() ? source.convertToFormat(QImage::Format_RGB32) : large;
        if (p.image.size() != size)
            p.image = p.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return m_cache.emplace(ck, std::move(p)).first->second;
    }
    if (!large.isNull()) {
        p.image = large;
    } else if (picture.deviceResolution()) {
        // Already drawn with coverage at device resolution.
        p.image = source;
        if (p.image.size() != size)
            p.image = p.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        p.image = keyedOut(source, key, size);
    }
    p.rowStart.reserve(static_cast<size_t>(p.image.height()) + 1);
    p.rowStart.push_back(0);
    const int w = p.image.width();
    for (int y = 0; y < p.image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(p.image.constScanLine(y));
        int x = 0;
        while (x < w) {
            const uint32_t a = qAlpha(row[x]);
            int end = x + 1;
            if (a == 0) {
                while (end < w && qAlpha(row[end]) == 0)
                    ++end;
            } else if (a == 255) {
                while (end < w && qAlpha(row[end]) == 255)
                    ++end;
                p.runs.push_back({x, end, true});
            } else {
                while (end < w && qAlpha(row[end]) != 0 && qAlpha(row[end]) != 255)
                    ++end;
                p.runs.push_back({x, end, false});
            }
            x = end;
        }
        p.rowStart.push_back(static_cast<int>(p.runs.size()));
    }
    return m_cache.emplace(ck, std::move(p)).first->second;
}

void SceneComposer::compose(QImage &target, const Bitmap &background,
                            const std::vector<SceneLayer *> &layers)
{
    ++m_tick;
    const CacheKey backKey{background.contentId(), 0, true};
    const Prepared &back = prepare(background, backKey);
    QRegion dirty;
    const Bitmap::ContentId &backId = backKey.id;
    if (!m_valid || target.size() != back.image.size() || target.format() != QImage::Format_RGB32 ||
        !(backId == m_background)) {
        if (target.size() != back.image.size() || target.format() != QImage::Format_RGB32)
            target = QImage(back.image.size(), QImage::Format_RGB32);
        m_background = backId;
        m_shown.clear();
        m_valid = true;
        dirty = target.rect();
        if (m_ratio > 1.0) readLargeDrawings(background, layers);
    }

    // Kept between ticks, so a tick allocates nothing for them.
    m_placed.clear();
    m_nextShown.clear();
    for (const SceneLayer *l : layers) {
        if (!l->Picture || l->Alpha == 0 || l->Picture->isEmpty()) continue;
        const bool opaque = l->Alpha == -1 || l->Alpha == 100;
        // Drawn layers leave out their bottom-left colour; blended ones that colour when the
        // picture is marked transparent, black otherwise.
        const QRgb key = (opaque || l->Picture->transparent)
                             ? l->Picture->transparentColor().rgb() & 0xFFFFFF
                             : 0;
        const CacheKey picture{l->Picture->contentId(), key, false};
        const Prepared &p = prepare(*l->Picture, picture);
        const QRect rect(toDevicePixels(l->X + l->DX, m_ratio),
                         toDevicePixels(l->Y + l->DY, m_ratio), p.image.width(), p.image.height());
        const int alpha = opaque ? 100 : l->Alpha;
        m_placed.push_back({&p, rect, alpha, key});
        const Shown now{l, rect, alpha, l->Depth, picture};
        const auto before = std::find_if(m_shown.begin(), m_shown.end(),
                                         [l](const Shown &s) { return s.layer == l; });
        if (before == m_shown.end()) {
            dirty += rect;
        } else {
            if (!(*before == now)) {
                dirty += before->rect;
                dirty += rect;
            }
            *before = m_shown.back();
            m_shown.pop_back();
        }
        m_nextShown.push_back(now);
    }
    // Layers no longer drawn leave what was under them.
    for (const Shown &gone : m_shown)
        dirty += gone.rect;
    m_shown.swap(m_nextShown);

    dirty &= QRegion(target.rect());
    for (const QRect &r : dirty)
        redraw(target, back, m_placed, r);
    m_changed += dirty;
    // Nobody took the changes for a while (no window): keep the record small.
    if (m_changed.rectCount() > 64) m_changed = m_changed.boundingRect();
    evict();
}

void SceneComposer::readLargeDrawings(const Bitmap &background,
                                      const std::vector<SceneLayer *> &layers)
{
    std::vector<LargeDrawing *> drawings{background.largeDrawing().drawing};
    // Hidden layers too: the hint panel fades in later.
    for (const SceneLayer *l : layers)
        if (l->Picture) drawings.push_back(l->Picture->largeDrawing().drawing);
    LargeDrawing::readAll(drawings);
}

void SceneComposer::redraw(QImage &target, const Prepared &background,
                           const std::vector<Placed> &placed, const QRect &area) const
{
    const size_t rowBytes = 4 * static_cast<size_t>(area.width());
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(target.scanLine(y) + 4 * area.left(),
                    background.image.constScanLine(y) + 4 * area.left(), rowBytes);
    for (const Placed &p : placed) {
        const QRect part = p.rect.intersected(area);
        if (part.isEmpty()) continue;
        const Prepared &pic = *p.picture;
        // Key bytes of one pixel in memory order; the alpha byte matches, so it is kept.
        const uint8_t keyPattern[4] = {static_cast<uint8_t>(qBlue(p.key)),
                                       static_cast<uint8_t>(qGreen(p.key)),
                                       static_cast<uint8_t>(qRed(p.key)), 0xFF};
        const KeyedBlend blend(keyPattern, 4, p.alpha);
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const int row = y - p.rect.top();
            const auto *src = reinterpret_cast<const uint32_t *>(pic.image.constScanLine(row));
            auto *dst = reinterpret_cast<uint32_t *>(target.scanLine(y)) + p.rect.left();
            const int from = part.left() - p.rect.left();
            const int to = part.right() + 1 - p.rect.left();
            for (int i = pic.rowStart[row]; i < pic.rowStart[row + 1]; ++i) {
                const Run &run = pic.runs[i];
                const int a = std::max(run.begin, from);
                const int b = std::min(run.end, to);
                if (a >= b) continue;
                if (p.alpha == 100) {
                    if (run.opaque) {
                        std::memcpy(dst + a, src + a, 4 * static_cast<size_t>(b - a));
                    } else {
                        for (int x = a; x < b; ++x)
                            over(dst[x], src[x]);
                    }
                } else if (run.opaque) {
                    blend.apply(reinterpret_cast<uint8_t *>(dst + a),
                                reinterpret_cast<const uint8_t *>(src + a),
                                4 * static_cast<size_t>(b - a));
                } else {
                    for (int x = a; x < b; ++x)
                        overAt(dst[x], src[x], p.alpha);
                }
            }
        }
    }
}

void SceneComposer::evict()
{
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        const quint64 keep = it->first.id.cell.isNull() ? 0 : CellLifetime;
        if (it->second.lastUsed + keep < m_tick)
            it = m_cache.erase(it);
        else
            ++it;
    }
}

QRegion SceneComposer::takeChanged()
{
    QRegion r = m_changed;
    m_changed = QRegion();
    return r;
}
