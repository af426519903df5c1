#pragma once

#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QImage>
#include <QRegion>
#include <memory>
#include <unordered_map>
#include <vector>

class LargeDrawing;
class WorkerThread;

// Composes the scene at device pixels, in the window's own pixel format, and keeps it between
// ticks: the scene is drawn again only where a layer moved, showed another picture, or changed
// its depth or alpha. What each picture needs for that (its key colour taken out, scaled to
// device pixels, what shows of it row by row) is made once and kept while the picture is in use.
//
// Zoomed, a frame never waits for a large drawing. The first one painted straight into a
// window (update) is the scene composed at its own size and smoothed up as it is painted; the
// next is made from the small pictures, smoothed up. From then on the large drawings are read
// one at a time on a thread of their own; all a zoom needs of each (every cell of a sprite sheet)
// is made from it at once, the drawing itself let go, and the sharper pictures take the place of
// the smoothed ones at the compose after, where they are, so nothing moves.
class SceneComposer
{
public:
    SceneComposer();
    ~SceneComposer();
    SceneComposer(const SceneComposer &) = delete;
    SceneComposer &operator=(const SceneComposer &) = delete;

    // Device pixels per scene pixel.
    void setPixelRatio(qreal ratio);
    // Brings target up to date with the background and the layers, given back to front.
    void compose(QImage &target, const Bitmap &background, const std::vector<SceneLayer *> &layers);
    // The same without a target of its own: what changed is only noted (takeChanged), and
    // paint() draws the scene where it is asked for, straight into the window's pixels.
    void update(const Bitmap &background, const std::vector<SceneLayer *> &layers);
    // Draws area (device pixels of device, a 32-bit image) of the scene as the last update
    // or compose left it, with the scene's top-left corner at at.
    void paint(QImage &device, QPoint at, const QRegion &area) const;
    // Device rectangles of the target that changed since the last call.
    QRegion takeChanged();
    // Reads at once the large drawings the last compose asked for and waits for them; the next
    // compose shows them. For tests and benchmarks: the game lets its ticks bring them in.
    void waitForDrawings();
    // How many pictures are kept prepared. For tests.
    size_t keptPictures() const;
    // The thread the drawings are read on, for other slow reading of the scene's to queue
    // behind, so two never run at once.
    WorkerThread &worker();

private:
    // A run of pixels of one row that show; at is where its pixels start in the picture's
    // bytes: 3 a pixel where it is opaque, 4 (premultiplied ARGB) at its soft edges. Small, as a
    // sheet's cells have a great many.
    struct Run
    {
        uint16_t begin, end;
        uint32_t at : 31;
        uint32_t opaque : 1;
    };
    // A picture at device resolution, premultiplied. The background keeps its whole image,
    // in 24 bits as it is opaque; a picture laid over it only the pixels that show, run by run.
    struct Prepared
    {
        QSize size;
        QImage image;
        std::vector<uint8_t> pixels;
        std::vector<int> rowStart;
        std::vector<Run> runs;
        quint64 lastUsed = 0;
        // Made from a large drawing: kept while it is shown, a sheet's cells for good.
        bool sharp = false;
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
    // A large drawing to read, and the parts of its small picture to make of it.
    struct Request
    {
        std::shared_ptr<LargeDrawing> drawing;
        QRgb key = 0;
        bool background = false;
        std::vector<std::pair<CacheKey, QRect>> parts;
        bool sameDrawing(const Request &o) const;
    };
    struct Ready;
    struct Handoff;

    // What the cache holds for picture under ck, which the caller took from it.
    const Prepared &prepare(const Bitmap &picture, const CacheKey &ck);
    static Prepared fromImage(QImage image, bool background);
    static void addRow(Prepared &p, const QRgb *row, int width);
    // What the request's parts are made into from its drawing, on the reading thread; nothing
    // when it has no usable drawing.
    static std::vector<std::pair<CacheKey, Prepared>> fromDrawing(const Request &r, qreal ratio);
    // Asks for the picture's large drawing unless what is kept was made from it already.
    void ask(const Bitmap &picture, const CacheKey &ck);
    void postRequests();
    // Takes in what the drawings read meanwhile, and marks where it shows.
    void adoptDrawings(QRegion &dirty);
    // Lays the layers out over the background and returns what changed since the last time.
    QRegion layOut(const Bitmap &background, const std::vector<SceneLayer *> &layers);
    // The first frame of update(): the scene composed at its own size, to be smoothed up.
    void makePreview(const Bitmap &background, const std::vector<SceneLayer *> &layers);
    // Draws area of the scene into target with the scene's corner at at.
    void redraw(QImage &target, QPoint at, const QRect &area) const;
    // An opaque run made 32-bit again, to be blended.
    static uint32_t *scratch(int pixels);
    void evict();

    qreal m_ratio = 1.0;
    bool m_valid = false;
    quint64 m_tick = 0;
    // Composes since the zoom was set: the drawings are read from the second on.
    int m_composes = 0;
    // Moves on with the zoom, so drawings read for another zoom are not taken in.
    int m_generation = 0;
    Bitmap::ContentId m_background;
    std::unordered_map<CacheKey, Prepared, CacheHash> m_cache;
    // A scene has a dozen layers: a list is looked through faster than a map is filled.
    std::vector<Shown> m_shown;
    std::vector<Shown> m_nextShown;
    std::vector<Placed> m_placed;
    // The background as last laid out; it stays in the cache while it is in use.
    const Prepared *m_back = nullptr;
    QRegion m_changed;
    // Until the second update, the scene at its own size and how large it is painted.
    QImage m_preview;
    QSize m_previewSize;
    // Drawings asked for and not posted yet, posted and not back yet, and back with nothing.
    std::vector<Request> m_waiting;
    std::vector<Request> m_pending;
    std::vector<Request> m_failed;
    std::shared_ptr<Handoff> m_handoff;
    // Last, so it goes first: a job still running finishes while all it writes to exists.
    std::unique_ptr<WorkerThread> m_worker;
};
