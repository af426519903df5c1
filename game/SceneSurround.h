#pragma once

#include "platform/Bitmap.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QRegion;
class WorkerThread;
struct DataFolders;

// The scene's sky, hills and meadow carried on around it to the screen's edges, from the
// strips the generator draws beside Back.bmp, for a window wider or taller than the 4 : 3
// layout. It holds only what shows of each strip, at device pixels. The first frames are
// smoothed up from the small strips as they are painted; when zoomed, the large drawings are read
// on a thread of their own once the first frame is out (from the first takeSharper() on) and take
// their place.
class SceneSurround
{
public:
    // window and scene in window pixels; ratio is device pixels per window pixel. Nothing is
    // made for a window of the 4 : 3 layout (1024 x 768 window pixels); a missing or broken
    // strip leaves its place to the plain sky or meadow colour.
    // The large drawings are read on the thread worker gives, when given, else on one of its
    // own.
    SceneSurround(const DataFolders &folders, QSize window, QRect scene, qreal ratio,
                  std::function<WorkerThread &()> worker = {});
    ~SceneSurround();
    SceneSurround(const SceneSurround &) = delete;
    SceneSurround &operator=(const SceneSurround &) = delete;

    // Whether there is anything around the scene to show.
    bool isEmpty() const { return !m_wide; }
    // Paints what lies in area (device pixels of the painter's device) outside the scene; the
    // painter draws in device pixels.
    void paint(QPainter &p, const QRegion &area) const;
    // Asked on each tick: true when sharper pictures have come in since, one strip or more;
    // the window is then painted again. The first call starts reading them.
    bool takeSharper();
    // Waits for the sharper pictures. For tests and benchmarks.
    void waitForSharper();

    struct Piece
    {
        QRect device; // what shows of the strip, in device pixels
        QImage image; // its sharp pixels once made; null until then
        QRect whole;  // the whole strip, in device pixels
        QImage small; // the small strip, smoothed up until the sharp pixels come
    };
    const std::vector<Piece> &pieces() const { return m_pieces; }

    // The parts of the strips that reach into the scene, where Back.bmp outlines its hills at
    // its edges: the scene lays them over its background, under everything else.
    struct Edge
    {
        QPoint at; // in scene pixels
        Bitmap picture;
    };
    std::vector<Edge> &edges() { return m_edges; }

private:
    struct Handoff;
    struct Job;
    void startReading();
    // Where a strip stands in device pixels, the scene's own rounding at its edges.
    QRect deviceRect(const QRect &place) const;

    bool m_wide = false;
    QRect m_window;
    QRect m_scene;
    qreal m_ratio = 1.0;
    QRect m_sceneDevice;
    QColor m_sky, m_ground;
    // Above it the sky's colour fills what no strip covers, below it the meadow's.
    int m_horizon = 0;
    std::vector<Piece> m_pieces;
    std::vector<Edge> m_edges;
    // The large drawings to read, one for each piece (none for a piece that stays smoothed).
    std::vector<Job> m_jobs;
    std::shared_ptr<Handoff> m_handoff;
    std::function<WorkerThread &()> m_giveWorker;
    WorkerThread *m_worker = nullptr;
    std::unique_ptr<WorkerThread> m_ownWorker;
};
