#include "game/Scene.h"

#include "characters/uAnimation.h"
#include "game/SceneSurround.h"
#include "platform/DataFolders.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

Bitmap loadPicture(const DataFolders &folders, const char *name)
{
    Bitmap b =
        loadBitmapFile(folders.sharedPath(QStringLiteral("Pictures/") + QLatin1String(name)));
    b.transparent = true;
    return b;
}

} // namespace

Scene::Scene(const DataFolders &folders, const SceneGeometry &geometry) : m_geometry(geometry)
{
    m_background = loadPicture(folders, "Back.bmp");
    m_background.transparent = false;
    const qreal ratio = geometry.PixelRatio;
    m_composer.setPixelRatio(ratio);
    m_width = m_background.width();
    m_height = m_background.height();
    m_left = (geometry.ScreenWidth - m_width) / 2;
    m_top = (geometry.ScreenHeight - m_height - geometry.AnswerPanelHeight) / 2;
    if (geometry.Who.left() + geometry.Who.width() > m_left)
        m_left = geometry.Who.left() + geometry.Who.width() + 10;
    if (geometry.MoneyImage.top() < m_top + m_height) m_top = geometry.MoneyImage.top() - m_height;
    m_surround = std::make_unique<SceneSurround>(
        folders, QSize(geometry.ScreenWidth, geometry.ScreenHeight), Rect(), ratio,
        [this]() -> WorkerThread & { return m_composer.worker(); });
    for (SceneSurround::Edge &edge : m_surround->edges())
        m_edgeLayers.push_back(SceneLayer{edge.at.x(), edge.at.y(), 0, &edge.picture, 0, 0, -1});

    auto layer = [&](LayerId id, int x, int y, int depth, int alpha) {
        m_pictures[id].transparent = true;
        m_layers[id] = SceneLayer{x, y, depth, &m_pictures[id], 0, 0, alpha};
    };
    auto painted = [&](LayerId id, int width, int height) {
        // The engines paint these every tick, at device resolution.
        m_pictures[id].setSize(width, height);
        m_pictures[id].setPixelRatio(ratio);
        m_pictures[id].fill(Magenta);
    };
    m_pictures[Blackboard] = loadPicture(folders, "BlackBoard.bmp");
    layer(Blackboard, 290, 73, 1, -1);
    painted(Board, 180, 240);
    layer(Board, 327, 115, 2, -1);
    m_pictures[TreeRight] = loadPicture(folders, "TreeRight.bmp");
    layer(TreeRight, 601, 217, 4, -1);
    m_pictures[TreeLeft] = loadPicture(folders, "TreeLeft.bmp");
    layer(TreeLeft, 0, 217, 5, -1);
    // The hint stands beside the blackboard, never over what the child is working on.
    m_pictures[HintPanel] = loadPicture(folders, "Hint.bmp");
    layer(HintPanel, 518, 92, 7, 0);
    painted(HintText, 100, 100);
    layer(HintText, 518 + 62, 92 + 24, 8, 0);
    m_pictures[GrassLeft] = loadPicture(folders, "GrassLeft.bmp");
    layer(GrassLeft, 0, 374, 10, -1);
    m_pictures[GrassRight] = loadPicture(folders, "GrassRight.bmp");
    layer(GrassRight, 537, 460, 11, -1);
}

Scene::~Scene() = default;

bool Scene::Present(TAlgo &engine, bool canPose, bool hintOn, TAnimation &animation,
                    const QString &words)
{
    PaintBoard(engine, canPose);
    animation.Animate();
    const bool hintPainted = FadeHint(engine, hintOn, words);
    BuildLayers(animation);
    // The background first, then the layers back to front; only what changed is redrawn.
    if (m_composeOnPaint)
        m_composer.update(m_background, m_sorted);
    else
        m_composer.compose(m_backBuffer, m_background, m_sorted);
    return hintPainted;
}

void Scene::ComposeOnPaint()
{
    m_composeOnPaint = true;
    m_backBuffer = QImage();
}

void Scene::Paint(QImage &device, QPoint at, const QRegion &area) const
{
    m_composer.paint(device, at, area);
}

QSize Scene::DeviceSize() const
{
    const qreal ratio = m_geometry.PixelRatio;
    return QSize(toDevicePixels(m_background.width(), ratio),
                 toDevicePixels(m_background.height(), ratio));
}

void Scene::PaintBoard(TAlgo &engine, bool canPose)
{
    // The engine paints every tick; unchanged paintings leave the board's pixels alone.
    Bitmap &board = BoardPicture();
    board.beginBatch();
    board.fill(Magenta);
    engine.PaintBoard();
    if (!canPose) DrawNoProblem();
    board.endBatch();
}

void Scene::DrawNoProblem()
{
    // Said on the board itself, where the child looks, so nobody waits for a problem that
    // never comes; "设置" in red, as what must be looked at.
    static const struct
    {
        const char *text;
        bool red;
    } lines[] = {{QT_TRANSLATE_NOOP("Scene", "现在没有"), false},
                 {QT_TRANSLATE_NOOP("Scene", "能用的题型。"), false},
                 {QT_TRANSLATE_NOOP("Scene", "请点右边的"), false},
                 {QT_TRANSLATE_NOOP("Scene", "“设置”"), true},
                 {QT_TRANSLATE_NOOP("Scene", "选择题型。"), false}};
    Bitmap &board = BoardPicture();
    // The engines share this bitmap and expect its font as they left it.
    const Bitmap::Font engineFont = board.font;
    board.fill(KeyGrey);
    board.font.face = QStringLiteral("Comic Sans MS");
    board.font.size = 14;
    board.font.bold = true;
    int y = 30;
    for (const auto &line : lines) {
        const QString text = QCoreApplication::translate("Scene", line.text);
        board.font.color = line.red ? Red : Yellow;
        board.font.edge = line.red ? Chalk : QColor();
        const int x = (board.width() - board.textExtent(text).width()) / 2;
        board.textOut(std::max(0, x), y, text);
        y += 36;
    }
    board.font = engineFont;
}

bool Scene::FadeHint(TAlgo &engine, bool hintOn, const QString &words)
{
    SceneLayer *hints[2] = {&m_layers[HintPanel], &m_layers[HintText]};
    if (!hintOn) {
        for (SceneLayer *h : hints)
            h->Alpha = 0;
        return false;
    }
    const bool saying = !words.isEmpty() && !engine.IsFinished();
    if (saying || (engine.CanHint() && engine.HintDue() && !engine.IsFinished())) {
        Bitmap &hint = HintTextPicture();
        hint.beginBatch();
        hint.fill(Magenta);
        if (saying)
            PaintWords(words);
        else
            engine.PaintHint();
        hint.endBatch();
        for (SceneLayer *h : hints)
            h->Alpha = std::min(h->Alpha + 5, 60);
        return true;
    }
    for (SceneLayer *h : hints)
        h->Alpha = std::max(h->Alpha - 20, 0);
    return false;
}

void Scene::PaintWords(const QString &words)
{
    Bitmap &hint = HintTextPicture();
    // The engines share this bitmap and expect its font as they left it.
    const Bitmap::Font engineFont = hint.font;
    hint.fill(KeyGrey);
    hint.font.face = QStringLiteral("Comic Sans MS");
    hint.font.color = Blue;
    hint.font.edge = QColor();
    const QStringList lines = WordLines(words, hint.font, hint.width(), hint.height());
    const int lineHeight = hint.textExtent(words).height();
    int y = std::max(0, (hint.height() - int(lines.size()) * lineHeight) / 2);
    for (const QString &line : lines) {
        hint.textOut(std::max(0, (hint.width() - hint.textExtent(line).width()) / 2), y, line);
        y += lineHeight;
    }
    hint.font = engineFont;
}

QStringList WordLines(const QString &words, Bitmap::Font &font, int width, int height)
{
    // Clauses end at a comma; a line break there reads best.
    const QChar comma(0xFF0C);
    QStringList clauses;
    QString clause;
    for (QChar c : words) {
        clause += c;
        if (c == comma) {
            clauses << clause;
            clause.clear();
        }
    }
    if (!clause.isEmpty()) clauses << clause;
    // Lines of the clauses in the current size; a clause too long breaks where a character no
    // longer fits, never leaving a single character alone on a line.
    auto layOut = [&](bool breakClauses, QStringList &lines) {
        lines.clear();
        for (const QString &c : clauses) {
            if (Bitmap::textExtent(font, c).width() <= width) {
                lines << c;
                continue;
            }
            if (!breakClauses) return false;
            QString line;
            for (QChar ch : c) {
                if (!line.isEmpty() && Bitmap::textExtent(font, line + ch).width() > width) {
                    lines << line;
                    line.clear();
                }
                line += ch;
            }
            if (line.size() < 2) return false;
            lines << line;
        }
        return int(lines.size()) * Bitmap::textExtent(font, words).height() <= height;
    };
    QStringList lines;
    // Whole clauses in a good size; else broken clauses in a good size; else whatever fits.
    for (bool breakClauses : {false, true}) {
        for (font.size = 14; font.size >= 12; --font.size) {
            if (layOut(breakClauses, lines)) return lines;
        }
    }
    for (font.size = 11; font.size > 8; --font.size) {
        if (layOut(true, lines)) return lines;
    }
    return lines;
}

void Scene::BuildLayers(TAnimation &animation)
{
    m_sorted.clear();
    for (LayerId id :
         {Blackboard, Board, HintPanel, HintText, TreeRight, TreeLeft, GrassLeft, GrassRight})
        m_sorted.push_back(&m_layers[id]);
    for (SceneLayer &edge : m_edgeLayers)
        m_sorted.push_back(&edge);
    for (auto &sprite : animation.Sprites)
        m_sorted.push_back(&sprite->Layer);
    std::stable_sort(
        m_sorted.begin(), m_sorted.end(),
        [](const SceneLayer *a, const SceneLayer *b) { return CompareLayers(*a, *b) < 0; });
}
