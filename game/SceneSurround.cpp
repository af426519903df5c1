#include "game/SceneSurround.h"

#include "game/SurroundStrips.h"
#include "platform/AreaScaler.h"
#include "platform/Bitmap.h"
#include "platform/DataFolders.h"
#include "platform/LargeDrawing.h"
#include "platform/PaintedImage.h"
#include "platform/SmoothEnlarge.h"
#include "platform/WorkerThread.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

// The scene's own size in scene pixels, and the window it was laid out for.
constexpr int SceneWidth = 800, SceneHeight = 600;
const QSize LayoutSize(1024, 768);

// Where the hills meet the sky, in scene pixels.
constexpr int HorizonY = 200;

} // namespace

struct SceneSurround::Handoff
{
    std::mutex mutex;
    // Sharp pieces made and not taken yet, by their index; done once all are made.
    std::vector<std::pair<size_t, QImage>> made;
    bool done = false;
};

// A strip's large drawing, and where the sharp piece made of it shows.
struct SceneSurround::Job
{
    std::shared_ptr<LargeDrawing> drawing;
    QRect device;
    QRect shown;
};

SceneSurround::SceneSurround(const DataFolders &folders, QSize window, QRect scene, qreal ratio,
                             std::function<WorkerThread &()> worker)
    : m_ratio(ratio), m_giveWorker(std::move(worker))
{
    m_wide = window.width() > LayoutSize.width() || window.height() > LayoutSize.height();
    if (!m_wide) return;
    m_window = QRect(QPoint(0, 0), QSize(int(std::ceil(window.width() * ratio)),
                                         int(std::ceil(window.height() * ratio))));
    m_scene = scene;
    // As the scene is composed: its size at device pixels from its device origin.
    m_sceneDevice = QRect(toDevicePixels(scene.left(), ratio), toDevicePixels(scene.top(), ratio),
                          toDevicePixels(SceneWidth, ratio), toDevicePixels(SceneHeight, ratio));
    m_horizon = deviceRect(QRect(0, HorizonY, 1, 1)).top();
    m_sky = QColor(120, 180, 230);
    m_ground = QColor(110, 180, 70);

    std::vector<Job> jobs;
    for (const SurroundStrips::Strip &strip : SurroundStrips::All) {
        Bitmap small;
        try {
            small = loadBitmapFile(folders.sharedPath(
                QStringLiteral("Pictures/%1.bmp").arg(QLatin1String(strip.name))));
        } catch (...) {
            continue;
        }
        if (small.width() != strip.place.width() || small.height() != strip.place.height())
            continue;
        const QImage &image = small.image();
        const QRect inScene = strip.place.intersected(QRect(0, 0, SceneWidth, SceneHeight));
        if (!inScene.isEmpty()) {
            // A whole copy of that part, so it keeps its share of the large drawing.
            Edge edge{inScene.topLeft(), Bitmap(inScene.width(), inScene.height())};
            edge.picture.copyRect(0, 0, small, inScene.translated(-strip.place.topLeft()));
            edge.picture.transparent = true;
            m_edges.push_back(std::move(edge));
        }
        if (strip.place.top() < 0) m_sky = image.pixelColor(image.width() / 2, 0);
        if (strip.place.top() >= SceneHeight)
            m_ground = image.pixelColor(image.width() / 2, image.height() - 1);
        const QRect device = deviceRect(strip.place);
        const QRect shown = device.intersected(m_window);
        if (shown.isEmpty()) continue;
        // Until the sharp piece comes, the small strip is smoothed up where it is painted:
        // no picture of its own for a frame that is soon replaced, nor a copy of the strip.
        m_pieces.push_back({shown, QImage(), device, image});
        const Bitmap::Large large = small.largeDrawing();
        if (large && ratio > 1.0 && ratio <= LargeDrawing::Scale)
            jobs.push_back({large.drawing, device, shown});
        else
            jobs.push_back({nullptr, device, shown});
    }
    if (std::any_of(jobs.begin(), jobs.end(), [](const Job &j) { return j.drawing; }))
        m_jobs = std::move(jobs);
}

SceneSurround::~SceneSurround() = default;

void SceneSurround::startReading()
{
    if (m_jobs.empty()) return;
    m_handoff = std::make_shared<Handoff>();
    if (m_giveWorker) {
        m_worker = &m_giveWorker();
    } else {
        m_ownWorker = std::make_unique<WorkerThread>();
        m_worker = m_ownWorker.get();
    }
    m_worker->post([handoff = m_handoff, jobs = std::move(m_jobs)] {
        for (size_t i = 0; i < jobs.size(); ++i) {
            const Job &job = jobs[i];
            if (!job.drawing) continue;
            const QSize in = job.drawing->pictureSize() * LargeDrawing::Scale;
            QImage sharp(job.shown.size(), QImage::Format_RGB888);
            const QPoint from = job.shown.topLeft() - job.device.topLeft();
            AreaScaler scaler(in.width(), in.height(), job.device.width(), job.device.height(),
                              [&](const QRgb *row, int y) {
                                  const int at = y - from.y();
                                  if (at < 0 || at >= sharp.height()) return;
                                  uchar *out = sharp.scanLine(at);
                                  for (int x = 0; x < sharp.width(); ++x) {
                                      const QRgb c = row[from.x() + x];
                                      out[3 * x] = uchar(qRed(c));
                                      out[3 * x + 1] = uchar(qGreen(c));
                                      out[3 * x + 2] = uchar(qBlue(c));
                                  }
                              });
            // A drawing that turns out unusable leaves the smoothed piece in place.
            // Handed over one at a time, so the smoothed piece goes as its sharp one comes.
            if (job.drawing->readRows([&](const QRgb *row, int) { scaler.add(row); })) {
                std::lock_guard lock(handoff->mutex);
                handoff->made.emplace_back(i, std::move(sharp));
            }
        }
        std::lock_guard lock(handoff->mutex);
        handoff->done = true;
    });
    m_jobs.clear();
}

QRect SceneSurround::deviceRect(const QRect &place) const
{
    // Beyond the scene's edges, counted from them, so strips and scene meet without a gap.
    auto across = [&](int x) {
        if (x >= SceneWidth)
            return m_sceneDevice.left() + m_sceneDevice.width() +
                   qRound((x - SceneWidth) * m_ratio);
        return m_sceneDevice.left() + qRound(x * m_ratio);
    };
    auto down = [&](int y) {
        if (y >= SceneHeight)
            return m_sceneDevice.top() + m_sceneDevice.height() +
                   qRound((y - SceneHeight) * m_ratio);
        return m_sceneDevice.top() + qRound(y * m_ratio);
    };
    const int left = across(place.left()), top = down(place.top());
    return QRect(left, top, across(place.left() + place.width()) - left,
                 down(place.top() + place.height()) - top);
}

void SceneSurround::paint(QPainter &p, const QRegion &area) const
{
    if (!m_wide) return;
    const qreal dpr = p.device()->devicePixelRatioF();
    // The smoothed pieces are a large share of a first frame: written straight into the
    // pixels where they can be.
    QImage *pixels = paintedImage(p);
    if (pixels && pixels->depth() != 32) pixels = nullptr;
    const QPoint at = p.deviceTransform().map(QPointF(0, 0)).toPoint();
    p.save();
    // In device pixels, wherever the painter's own transform puts the window.
    p.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr), true);
    QRegion bare = area.subtracted(m_sceneDevice);
    for (const Piece &piece : m_pieces) {
        const QRegion here = bare.intersected(piece.device);
        if (here.isEmpty()) continue;
        if (!piece.image.isNull()) {
            for (const QRect &r : here)
                p.drawImage(r.topLeft(), piece.image, r.translated(-piece.device.topLeft()));
        } else if (pixels) {
            for (const QRect &r : here)
                smoothEnlargeInto(*pixels, piece.whole.translated(at), piece.small,
                                  r.translated(at));
        } else {
            p.save();
            p.setClipRegion(here);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(piece.whole), piece.small);
            p.restore();
        }
        bare -= piece.device;
    }
    // Only what no strip covers is filled: each pixel of the screen is written once.
    for (const QRect &r : bare) {
        const QRect sky = r.intersected(QRect(r.left(), r.top(), r.width(), m_horizon - r.top()));
        if (!sky.isEmpty()) p.fillRect(sky, m_sky);
        const QRect ground =
            r.intersected(QRect(r.left(), m_horizon, r.width(), r.bottom() + 1 - m_horizon));
        if (!ground.isEmpty()) p.fillRect(ground, m_ground);
    }
    p.restore();
}

bool SceneSurround::takeSharper()
{
    startReading();
    if (!m_handoff) return false;
    bool taken = false, done = false;
    {
        std::lock_guard lock(m_handoff->mutex);
        for (auto &[index, image] : m_handoff->made) {
            m_pieces[index].image = std::move(image);
            m_pieces[index].small = QImage();
            taken = true;
        }
        m_handoff->made.clear();
        done = m_handoff->done;
    }
    if (done) m_handoff.reset();
    return taken;
}

void SceneSurround::waitForSharper()
{
    startReading();
    if (m_worker) m_worker->waitIdle();
}
