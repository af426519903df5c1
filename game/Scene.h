#pragma once

#include "core/Def.h"
#include "game/SceneComposer.h"
#include "platform/Bitmap.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

class SceneSurround;
class TAlgo;
class TAnimation;
struct DataFolders;

// The lines words are said in on a bubble width x height pixels, and the size of font (left
// in font): whole clauses (they end at "，") from 14 points down to 12, else clauses broken
// between characters in those sizes, else smaller.
QStringList WordLines(const QString &words, Bitmap::Font &font, int width, int height);

// What the scene needs to know of the main window's layout when it is set up.
struct SceneGeometry
{
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    QRect Who;
    int AnswerPanelHeight = 0;
    QRect MoneyImage;
    // Device pixels per window pixel: the scene is composed at device resolution.
    qreal PixelRatio = 1.0;
};

// The scene: the background, the blackboard with the board the engines paint, the hint panel
// with the hint they paint, the trees and the grass, and the characters' sprites, composed at
// device pixels for the window to show at (Left, Top).
class Scene
{
public:
    // The layers set up here, back to front.
    enum LayerId {
        Blackboard,
        Board,
        TreeRight,
        TreeLeft,
        HintPanel,
        HintText,
        GrassLeft,
        GrassRight,
        LayerCount
    };

    // Reads the pictures from folders' Pictures/; a missing or broken one is an error.
    Scene(const DataFolders &folders, const SceneGeometry &geometry);
    ~Scene();
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    // One scene tick: the engine paints the board (or the board says that nothing can be
    // posed), the hint fades in while it is due and out when not, the characters move on a
    // frame, and everything is composed into BackBuffer where it changed. words, when given,
    // take the hint's place in the bubble (a mistake said to the child). True when the hint
    // (or the words) was painted, so the child could see it.
    bool Present(TAlgo &engine, bool canPose, bool hintOn, TAnimation &animation,
                 const QString &words = QString());
    // Device rectangles of BackBuffer that changed since the last call.
    QRegion TakeChanged() { return m_composer.takeChanged(); }
    // Zoomed, the first frames come from the small pictures while the large drawings are read
    // on a worker thread; this waits for them, so the next Present() is sharp.
    void WaitForDrawings() { m_composer.waitForDrawings(); }

    // The composed scene at device pixels, in the window's pixel format; null once the scene
    // composes on paint.
    const QImage &BackBuffer() const { return m_backBuffer; }
    // From now on the scene keeps no picture of its own: Present() notes what changed and
    // Paint() draws it where the window asks, straight into the window's own pixels.
    void ComposeOnPaint();
    // Draws area (device pixels of device, a 32-bit image) of the scene with its top-left
    // corner at at.
    void Paint(QImage &device, QPoint at, const QRegion &area) const;
    // The scene's size in device pixels.
    QSize DeviceSize() const;
    // Where the scene stands in the window, and its size, in window pixels.
    QRect Rect() const { return QRect(m_left, m_top, m_width, m_height); }
    qreal PixelRatio() const { return m_geometry.PixelRatio; }

    // The bitmaps every engine paints on.
    Bitmap &BoardPicture() { return m_pictures[Board]; }
    Bitmap &HintTextPicture() { return m_pictures[HintText]; }
    const SceneLayer &Layer(LayerId id) const { return m_layers[id]; }
    const Bitmap &Background() const { return m_background; }
    // The sky and meadow around the scene on a screen wider or taller than 4 : 3; empty
    // otherwise.
    SceneSurround &Surround() { return *m_surround; }

private:
    void PaintBoard(TAlgo &engine, bool canPose);
    void DrawNoProblem();
    bool FadeHint(TAlgo &engine, bool hintOn, const QString &words);
    // Words on the hint bitmap, broken into lines that fit it, in the hint's colour.
    void PaintWords(const QString &words);
    void BuildLayers(TAnimation &animation);

    SceneGeometry m_geometry;
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    QImage m_backBuffer;
    bool m_composeOnPaint = false;
    SceneComposer m_composer;
    Bitmap m_background;
    std::array<Bitmap, LayerCount> m_pictures;
    std::array<SceneLayer, LayerCount> m_layers;
    std::vector<SceneLayer *> m_sorted;
    std::unique_ptr<SceneSurround> m_surround;
    // The surround's edges laid over the background.
    std::vector<SceneLayer> m_edgeLayers;
};
