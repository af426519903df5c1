#pragma once

#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QImage>
#include <QRegion>
#include <unordered_map>
#include <vector>

// Composes the scene at device pixels, in the window's own pixel format, and keeps it between
// ticks: the scene is drawn again only where a layer moved, showed another picture, or changed
// its depth or alpha. What each picture needs for that (its key colour taken out, scaled to
// device pixels, the runs of what shows) is made once and kept while the picture is in use.
class SceneComposer
{
public:
    // Device pixels per scene pixel.
    void setPixelRatio(qreal ratio);
    // Brings target up to date with the background and the layers, given back to front.
    void compose(QImage &target, const Bitmap &background, const std::vector<SceneLayer *> &layers);
    // Device rectangles of the target that changed since the last call.
    QRegion takeChanged();

private:
    struct Run
    {
        int begin, end;
        bool opaque;
    };
    // A picture at device resolution, premultiplied, with the runs of what shows per row.
    struct Prepared
    {
        QImage image;
        std::vector<int> rowStart;
        std::vector<Run> runs;
        quint64 lastUsed = 0;
    };
    struct CacheKey
    {
        Bitmap::ContentId id;
        QRgb key = 0;
        bool background = false;
        bool operator==(const CacheKey &) const = default;
    };
    struct CacheHash
    {
        size_t operator()(const CacheKey &k) const;
    };
    // What a layer showed at the last compose.
    struct Shown
    {
        const SceneLayer *layer = nullptr;
        QRect rect;
        int alpha = 0;
        int depth = 0;
        CacheKey picture;
        bool operator==(const Shown &) const = default;
    };
    struct Placed
    {
        const Prepared *picture;
        QRect rect;
        int alpha;
        QRgb key;
    };

    // What the cache holds for picture under ck, which the caller took from it.
    const Prepared &prepare(const Bitmap &picture, const CacheKey &ck);
    void redraw(QImage &target, const Prepared &background, const std::vector<Placed> &placed,
                const QRect &area) const;
    void evict();
    // Reads at once the large drawings of everything a whole redraw may show.
    void readLargeDrawings(const Bitmap &background, const std::vector<SceneLayer *> &layers);

    qreal m_ratio = 1.0;
    bool m_valid = false;
    quint64 m_tick = 0;
    Bitmap::ContentId m_background;
    std::unordered_map<CacheKey, Prepared, CacheHash> m_cache;
    // A scene has a dozen layers: a list is looked through faster than a map is filled.
    std::vector<Shown> m_shown;
    std::vector<Shown> m_nextShown;
    std::vector<Placed> m_placed;
    QRegion m_changed;
};
