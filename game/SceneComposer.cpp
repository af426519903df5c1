#include "game/SceneComposer.h"

#include "platform/AreaScaler.h"
#include "platform/BlendKernel.h"
#include "platform/LargeDrawing.h"
#include "platform/SmoothEnlarge.h"
#include "platform/WorkerThread.h"

#include <QHash>
#include <QPainter>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <mutex>

namespace {

// A sheet cell not shown for this many ticks (a minute) is made again when it returns; a
// plain picture only lives while it is shown, since the next version has another id.
const quint64 CellLifetime = 600;

bool isOpaque(const SceneLayer &l)
{
    return l.Alpha == -1 || l.Alpha == 100;
}

// Drawn layers leave out their picture's bottom-left colour; blended ones that colour when the
// picture is marked transparent, black otherwise.
QRgb keyOf(const SceneLayer &l)
{
    return isOpaque(l) || l.Picture->transparent ? l.Picture->transparentColor().rgb() & 0xFFFFFF
                                                 : 0;
}

QSize deviceSize(QSize s, qreal ratio)
{
    return QSize(toDevicePixels(s.width(), ratio), toDevicePixels(s.height(), ratio));
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

// Opaque pixels kept as 3 bytes (blue, green, red) made 32-bit again.
inline void expand24Plain(uint32_t *d, const uint8_t *s, int n)
{
    for (int x = 0; x < n; ++x, s += 3)
        d[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a step, with a byte shuffle that every x86-64 processor since 2006 has.
__attribute__((target("ssse3"))) void expand24Shuffled(uint32_t *d, const uint8_t *s, int n)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    // Each step reads 16 bytes and uses 12: it stops while 16 are left to read.
    for (; x + 6 <= n; x += 4, s += 12) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x),
                         _mm_or_si128(_mm_shuffle_epi8(in, spread), alpha));
    }
    expand24Plain(d + x, s, n - x);
}

// Asked while the libraries start: the processor's description may not be read yet.
const bool canShuffle = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
#endif

inline void expand24(uint32_t *d, const uint8_t *s, int n)
{
#if defined(__x86_64__) || defined(__i386__)
    if (canShuffle) {
        expand24Shuffled(d, s, n);
        return;
    }
#endif
    expand24Plain(d, s, n);
}

// The part of a large drawing (in the small picture's pixels) at exactly size,
// premultiplied; null when the drawing does not hold it.
QImage partOfDrawing(const QImage &whole, QRect part, QRgb key, bool background, QSize size)
{
    const int s = LargeDrawing::Scale;
    const QRect big(part.topLeft() * s, part.size() * s);
    if (whole.isNull() || big.isEmpty() || !whole.rect().contains(big)) return {};
    // Only the part, so a sheet cell is smoothed without its neighbours' edges.
    QImage view(whole.constScanLine(big.top()) + 4 * big.left(), big.width(), big.height(),
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
    // In place: a second whole screen of pixels would be what reading one costs most.
    if (background) out.convertTo(QImage::Format_RGB32);
    return out;
}

} // namespace

// What one job made of a drawing, for the compose that takes it in.
struct SceneComposer::Ready
{
    int generation = 0;
    Request request;
    std::vector<std::pair<CacheKey, Prepared>> made;
};

struct SceneComposer::Handoff
{
    std::mutex mutex;
    std::vector<Ready> ready;
};

size_t SceneComposer::CacheHash::operator()(const CacheKey &k) const
{
    return qHashMulti(0, k.id.image, k.id.cell.x(), k.id.cell.y(), k.id.cell.width(),
                      k.id.cell.height(), k.key, k.background);
}

bool SceneComposer::Request::sameDrawing(const Request &o) const
{
    return drawing == o.drawing && key == o.key && background == o.background;
}

SceneComposer::SceneComposer() : m_handoff(std::make_shared<Handoff>()) {}

SceneComposer::~SceneComposer() = default;

void SceneComposer::setPixelRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio == m_ratio) return;
    m_ratio = ratio;
    m_preview = QImage();
    m_placed.clear();
    m_back = nullptr;
    m_cache.clear();
    m_valid = false;
    m_composes = 0;
    ++m_generation;
    m_waiting.clear();
    m_pending.clear();
    m_failed.clear();
}

void SceneComposer::addRow(Prepared &p, const QRgb *row, int width)
{
    if (p.rowStart.empty()) p.rowStart.push_back(0);
    // An opaque run's colours gathered here first: the pixels grow by inserting ranges, never
    // by zeroing bytes only to write them again.
    uint8_t colours[3 * 256];
    int x = 0;
    while (x < width) {
        const uint32_t a = qAlpha(row[x]);
        int end = x + 1;
        if (a == 0) {
            while (end < width && qAlpha(row[end]) == 0)
                ++end;
        } else {
            const bool opaque = a == 255;
            while (end < width && qAlpha(row[end]) != 0 && (qAlpha(row[end]) == 255) == opaque)
                ++end;
            // Only what shows is kept, most of a sprite's cell being empty; and of an opaque
            // pixel only its colour. Soft edges keep whole pixels, aligned for reading.
            if (!opaque) p.pixels.resize((p.pixels.size() + 3) & ~size_t(3));
            p.runs.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(end),
                              static_cast<uint32_t>(p.pixels.size()), opaque});
            if (opaque) {
                // A pixel's bytes in memory are blue, green, red, alpha.
                for (int from = x; from < end; from += 256) {
                    const int n = std::min(256, end - from);
                    for (int i = 0; i < n; ++i)
                        std::memcpy(colours + 3 * i, row + from + i, 3);
                    p.pixels.insert(p.pixels.end(), colours, colours + 3 * n);
                }
            } else {
                const auto *bytes = reinterpret_cast<const uint8_t *>(row + x);
                p.pixels.insert(p.pixels.end(), bytes, bytes + 4 * size_t(end - x));
            }
        }
        x = end;
    }
    p.rowStart.push_back(static_cast<int>(p.runs.size()));
}

SceneComposer::Prepared SceneComposer::fromImage(QImage image, bool background)
{
    Prepared p;
    p.size = image.size();
    if (background) {
        // Kept 32-bit as painted, or else in 24 bits: blue, green, red in memory, as the
        // scene's own 32-bit pixels have them.
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_BGR888)
            image.convertTo(QImage::Format_BGR888);
        p.image = std::move(image);
        return p;
    }
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    p.rowStart.reserve(static_cast<size_t>(image.height()) + 1);
    p.pixels.reserve(3 * static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        addRow(p, reinterpret_cast<const QRgb *>(image.constScanLine(y)), image.width());
    p.pixels.shrink_to_fit();
    p.runs.shrink_to_fit();
    return p;
}

std::vector<std::pair<SceneComposer::CacheKey, SceneComposer::Prepared>>
SceneComposer::fromDrawing(const Request &r, qreal ratio)
{
    std::vector<std::pair<CacheKey, Prepared>> made;
    const int s = LargeDrawing::Scale;
    if (ratio > s) {
        // Larger than the drawing itself: smoothed up from it whole.
        const QImage whole = r.drawing->read();
        for (const auto &[key, part] : r.parts) {
            QImage image =
                partOfDrawing(whole, part, r.key, r.background, deviceSize(part.size(), ratio));
            if (image.isNull()) continue;
            made.emplace_back(key, fromImage(std::move(image), r.background));
            made.back().second.sharp = true;
        }
        return made;
    }
    // Smaller: every part made by area as the rows come, so neither the drawing nor a part of
    // it is ever whole in memory, only what the part keeps.
    struct Part
    {
        CacheKey key;
        QRect in;
        Prepared out;
        std::unique_ptr<AreaScaler> scaler;
    };
    std::vector<Part> parts;
    const QRect drawing(QPoint(0, 0), r.drawing->pictureSize() * s);
    for (const auto &[key, part] : r.parts) {
        const QRect in(part.topLeft() * s, part.size() * s);
        const QSize out = deviceSize(part.size(), ratio);
        if (!drawing.contains(in) || out.isEmpty()) continue;
        Prepared p;
        p.size = out;
        p.sharp = true;
        parts.push_back({key, in, std::move(p), nullptr});
    }
    std::vector<QRgb> row(static_cast<size_t>(drawing.width()));
    const QRgb hidden = 0xFF000000u | r.key;
    const bool read = r.drawing->readRows([&](const QRgb *in, int y) {
        // Premultiplied, and the key colour left out, as from the small picture.
        for (size_t x = 0; x < row.size(); ++x) {
            const QRgb p = in[x];
            const uint32_t a = qAlpha(p);
            row[x] = a == 255 ? (p == hidden && !r.background ? 0 : p)
                     : a == 0 ? 0
                              : qPremultiply(p);
        }
        for (Part &p : parts) {
            if (y < p.in.top() || y > p.in.bottom()) continue;
            if (y == p.in.top()) {
                Prepared *out = &p.out;
                const bool background = r.background;
                if (background) out->image = QImage(out->size, QImage::Format_BGR888);
                p.scaler = std::make_unique<AreaScaler>(
                    p.in.width(), p.in.height(), out->size.width(), out->size.height(),
                    [out, background](const QRgb *line, int oy) {
                        if (!background) {
                            addRow(*out, line, out->size.width());
                            return;
                        }
                        uchar *d = out->image.scanLine(oy);
                        for (int x = 0; x < out->size.width(); ++x, d += 3)
                            std::memcpy(d, &line[x], 3);
                    });
            }
            p.scaler->add(row.data() + p.in.left());
            if (y == p.in.bottom()) p.scaler.reset();
        }
    });
    if (!read) return made;
    for (Part &p : parts) {
        p.out.pixels.shrink_to_fit();
        p.out.runs.shrink_to_fit();
        made.emplace_back(p.key, std::move(p.out));
    }
    return made;
}

const SceneComposer::Prepared &SceneComposer::prepare(const Bitmap &picture, const CacheKey &ck)
{
    auto it = m_cache.find(ck);
    if (it != m_cache.end()) {
        it->second.lastUsed = m_tick;
        return it->second;
    }
    // From the small picture: quick, and the only source at ratio 1. A large drawing comes
    // later, from the reading thread.
    const QSize size = deviceSize(QSize(picture.width(), picture.height()), m_ratio);
    const QImage &source = picture.image();
    QImage image;
    if (ck.background) {
        // 32-bit is painted fastest and copied row by row. On the largest screens 24 bits,
        // painted straight: there it lives beside the drawing being read, at the game's peak
        // of memory.
        image = QImage(size, m_ratio > 2 ? QImage::Format_BGR888 : QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, size != source.size());
        painter.drawImage(QRect(QPoint(0, 0), size), source);
    } else if (picture.deviceResolution()) {
        // Already drawn with coverage at device resolution.
        image = source;
        if (image.size() != size)
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        image = keyedOut(source, ck.key, size);
    }
    Prepared p = fromImage(std::move(image), ck.background);
    p.lastUsed = m_tick;
    return m_cache.emplace(ck, std::move(p)).first->second;
}

void SceneComposer::ask(const Bitmap &picture, const CacheKey &ck)
{
    if (!(m_ratio > 1.0)) return;
    const auto it = m_cache.find(ck);
    if (it != m_cache.end() && it->second.sharp) return;
    const Bitmap::Large large = picture.largeDrawing();
    // A picture keyed on another colour than the one its drawing leaves out is drawn from
    // the picture itself.
    if (!large || (!ck.background && large.drawing->key() != ck.key)) return;
    Request r{large.drawing, ck.key, ck.background, {}};
    for (const std::vector<Request> *list : {&m_waiting, &m_pending, &m_failed})
        for (const Request &o : *list)
            if (o.sameDrawing(r)) return;
    const QSize cell = large.part.size();
    const QSize whole = large.drawing->pictureSize();
    // A sheet is a whole number of its cells. Any other part of a picture (the strip's edge
    // a scene lays over its background) is only itself: its neighbours are never shown.
    const bool sheetCell = !ck.id.cell.isNull() && !cell.isEmpty() &&
                           whole.width() % cell.width() == 0 && whole.height() % cell.height() == 0;
    if (!sheetCell) {
        r.parts.push_back({ck, large.part});
    } else {
        // A cell of a sheet: the sheet's other cells are made from the same reading.
        const QPoint offset = ck.id.cell.topLeft() - large.part.topLeft();
        for (int y = large.part.y() % cell.height(); y + cell.height() <= whole.height();
             y += cell.height())
            for (int x = large.part.x() % cell.width(); x + cell.width() <= whole.width();
                 x += cell.width()) {
                const QRect part(QPoint(x, y), cell);
                CacheKey k = ck;
                k.id.cell = part.translated(offset);
                r.parts.push_back({k, part});
            }
    }
    if (!r.parts.empty()) m_waiting.push_back(std::move(r));
}

void SceneComposer::postRequests()
{
    if (m_waiting.empty()) return;
    worker();
    for (Request &r : m_waiting) {
        m_worker->post([handoff = m_handoff, r, ratio = m_ratio, generation = m_generation] {
            Ready ready{generation, r, fromDrawing(r, ratio)};
            std::lock_guard lock(handoff->mutex);
            handoff->ready.push_back(std::move(ready));
        });
        m_pending.push_back(std::move(r));
    }
    m_waiting.clear();
}

void SceneComposer::adoptDrawings(QRegion &dirty)
{
    std::vector<Ready> ready;
    {
        std::lock_guard lock(m_handoff->mutex);
        ready.swap(m_handoff->ready);
    }
    if (ready.empty()) return;
    for (Ready &r : ready) {
        if (r.generation != m_generation) continue;
        std::erase_if(m_pending, [&](const Request &p) { return p.sameDrawing(r.request); });
        if (r.made.empty()) m_failed.push_back(std::move(r.request));
        for (auto &[key, p] : r.made) {
            // Where it shows now: the same place and size, only sharper.
            if (key.background && key.id == m_background) dirty += QRect(QPoint(0, 0), p.size);
            for (const Shown &s : m_shown)
                if (s.picture == key) dirty += s.rect;
            p.lastUsed = m_tick;
            m_cache[key] = std::move(p);
        }
    }
    ready.clear();
    // The drawings read and the pictures they replace leave large holes; the system gets them
    // back rather than the game keeping them.
    malloc_trim(0);
}

void SceneComposer::waitForDrawings()
{
    postRequests();
    if (m_worker) m_worker->waitIdle();
}

void SceneComposer::compose(QImage &target, const Bitmap &background,
                            const std::vector<SceneLayer *> &layers)
{
    QRegion dirty = layOut(background, layers);
    if (target.size() != m_back->size || target.format() != QImage::Format_RGB32) {
        target = QImage(m_back->size, QImage::Format_RGB32);
        dirty = target.rect();
    }
    for (const QRect &r : dirty)
        redraw(target, QPoint(0, 0), r);
}

void SceneComposer::update(const Bitmap &background, const std::vector<SceneLayer *> &layers)
{
    if (m_composes == 0 && m_ratio > 1.0) {
        makePreview(background, layers);
        return;
    }
    m_preview = QImage();
    layOut(background, layers);
}

void SceneComposer::makePreview(const Bitmap &background, const std::vector<SceneLayer *> &layers)
{
    // Nothing is made at device pixels for the first frame: at the largest zooms that would be
    // most of the start. The next compose lays the scene out whole, as after a zoom.
    ++m_composes;
    m_preview = background.image().convertToFormat(QImage::Format_RGB32);
    QPainter p(&m_preview);
    for (const SceneLayer *l : layers) {
        if (!l->Picture || l->Picture->isEmpty() || l->Alpha == 0) continue;
        const bool opaque = isOpaque(*l);
        const QRect rect(l->X + l->DX, l->Y + l->DY, l->Picture->width(), l->Picture->height());
        p.setOpacity(opaque ? 1.0 : l->Alpha / 100.0);
        const QImage &image = l->Picture->image();
        // Text drawn at device pixels is brought down by area, as sharp as it can be.
        p.drawImage(rect.topLeft(),
                    l->Picture->deviceResolution()
                        ? image.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        : keyedOut(image, keyOf(*l), image.size()));
    }
    p.end();
    m_previewSize = deviceSize(m_preview.size(), m_ratio);
    m_changed = QRect(QPoint(0, 0), m_previewSize);
}

void SceneComposer::paint(QImage &device, QPoint at, const QRegion &area) const
{
    if (!m_preview.isNull()) {
        const QRect scene(at, m_previewSize);
        for (const QRect &r : area.intersected(scene))
            smoothEnlargeInto(device, scene, m_preview, r);
        return;
    }
    if (!m_back) return;
    const QRect scene(at, m_back->size);
    for (const QRect &r : area.intersected(scene.intersected(device.rect())))
        redraw(device, at, r.translated(-at));
}

QRegion SceneComposer::layOut(const Bitmap &background, const std::vector<SceneLayer *> &layers)
{
    ++m_tick;
    ++m_composes;
    QRegion dirty;
    adoptDrawings(dirty);
    const CacheKey backKey{background.contentId(), 0, true};
    const Prepared &back = prepare(background, backKey);
    ask(background, backKey);
    m_back = &back;
    const Bitmap::ContentId &backId = backKey.id;
    if (!m_valid || !(backId == m_background)) {
        m_background = backId;
        m_shown.clear();
        m_valid = true;
        dirty = QRect(QPoint(0, 0), back.size);
    }

    // Kept between ticks, so a tick allocates nothing for them.
    m_placed.clear();
    m_nextShown.clear();
    for (const SceneLayer *l : layers) {
        if (!l->Picture || l->Picture->isEmpty()) continue;
        const bool opaque = isOpaque(*l);
        const QRgb key = keyOf(*l);
        const CacheKey picture{l->Picture->contentId(), key, false};
        if (l->Alpha == 0) {
            // Hidden, as the hint before it fades in: what is kept for it stays, and its
            // drawing is read ahead.
            if (auto it = m_cache.find(picture); it != m_cache.end()) it->second.lastUsed = m_tick;
            ask(*l->Picture, picture);
            continue;
        }
        const Prepared &p = prepare(*l->Picture, picture);
        ask(*l->Picture, picture);
        const QRect rect(
            QPoint(toDevicePixels(l->X + l->DX, m_ratio), toDevicePixels(l->Y + l->DY, m_ratio)),
            p.size);
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

    dirty &= QRegion(QRect(QPoint(0, 0), back.size));
    m_changed += dirty;
    // Nobody took the changes for a while (no window): keep the record small.
    if (m_changed.rectCount() > 64) m_changed = m_changed.boundingRect();
    // The first frame never waits for a drawing, nor shares the machine with reading one.
    if (m_composes >= 2) postRequests();
    evict();
    return dirty;
}

void SceneComposer::redraw(QImage &target, QPoint at, const QRect &area) const
{
    const Prepared &background = *m_back;
    const std::vector<Placed> &placed = m_placed;
    // Rows of the target by the scene's own, wherever the scene stands in it.
    uchar *const bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    auto line = [&](int y) {
        return reinterpret_cast<uint32_t *>(bits + (y + at.y()) * stride) + at.x();
    };
    const bool wide = background.image.format() == QImage::Format_RGB32;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *d = line(y) + area.left();
        if (wide)
            std::memcpy(d, background.image.constScanLine(y) + 4 * area.left(),
                        4 * static_cast<size_t>(area.width()));
        else
            expand24(d, background.image.constScanLine(y) + 3 * area.left(), area.width());
    }
    for (const Placed &p : placed) {
        const QRect part = p.rect.intersected(area);
        if (part.isEmpty()) continue;
        const Prepared &pic = *p.picture;
        // Key bytes of one pixel in memory order; the alpha byte matches, so it is kept.
        const uint8_t keyPattern[4] = {static_cast<uint8_t>(qBlue(p.key)),
                                       static_cast<uint8_t>(qGreen(p.key)),
                                       static_cast<uint8_t>(qRed(p.key)), 0xFF};
        const KeyedBlend blend(keyPattern, 4, p.alpha);
        const int from = part.left() - p.rect.left();
        const int to = part.right() + 1 - p.rect.left();
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const int row = y - p.rect.top();
            auto *dst = line(y) + p.rect.left();
            for (int i = pic.rowStart[row]; i < pic.rowStart[row + 1]; ++i) {
                const Run &run = pic.runs[i];
                const int a = std::max<int>(run.begin, from);
                const int b = std::min<int>(run.end, to);
                if (a >= b) continue;
                uint32_t *d = dst + a;
                const int n = b - a;
                const uint8_t *bytes = pic.pixels.data() + run.at;
                if (run.opaque) {
                    uint32_t *out = p.alpha == 100 ? d : scratch(n);
                    expand24(out, bytes + 3 * (a - run.begin), n);
                    if (p.alpha != 100)
                        blend.apply(reinterpret_cast<uint8_t *>(d),
                                    reinterpret_cast<const uint8_t *>(out),
                                    4 * static_cast<size_t>(n));
                    continue;
                }
                const auto *src = reinterpret_cast<const uint32_t *>(bytes) + (a - run.begin);
                if (p.alpha == 100) {
                    for (int x = 0; x < n; ++x)
                        over(d[x], src[x]);
                } else {
                    for (int x = 0; x < n; ++x)
                        overAt(d[x], src[x], p.alpha);
                }
            }
        }
    }
}

uint32_t *SceneComposer::scratch(int pixels)
{
    // One per thread: two bands of a window may be painted at once.
    thread_local std::vector<uint32_t> kept;
    if (kept.size() < static_cast<size_t>(pixels)) kept.resize(static_cast<size_t>(pixels));
    return kept.data();
}

void SceneComposer::evict()
{
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        const bool cell = !it->first.id.cell.isNull();
        // A sheet's cells made from its drawing are not made again: they stay.
        if (cell && it->second.sharp) {
            ++it;
            continue;
        }
        const quint64 keep = cell ? CellLifetime : 0;
        if (it->second.lastUsed + keep < m_tick)
            it = m_cache.erase(it);
        else
            ++it;
    }
}

size_t SceneComposer::keptPictures() const
{
    return m_cache.size();
}

QRegion SceneComposer::takeChanged()
{
    QRegion r = m_changed;
    m_changed = QRegion();
    return r;
}

WorkerThread &SceneComposer::worker()
{
    if (!m_worker) m_worker = std::make_unique<WorkerThread>();
    return *m_worker;
}
