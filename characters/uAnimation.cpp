#include "characters/uAnimation.h"

#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/Errors.h"
#include "platform/Random.h"
#include "platform/TextFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A well-formed value as written; otherwise the digits before the first character that does
// not fit, without their sign, or 0 when there are none.
int32_t scriptLenient(const QString &text)
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
    const qsizetype digitsAt = i;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min<int64_t>(value * 10 + (text[i].unicode() - '0'),
                                  int64_t(std::numeric_limits<int32_t>::max()) + 1);
    const bool wellFormed = i == text.size() && i > digitsAt;
    if (wellFormed && negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

template <size_t N> int codeOf(const QString &id, const char *const (&ids)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (id == QLatin1String(ids[i])) return static_cast<int>(i);
    return -1;
}

// Ids as the lower-cased script spells them, in code order.
const char *const kCharacterIds[] = {"anbutterfly", "anoldsheep", "anwolf", "anwoolly"};
const char *const kActionIds[] = {"akright", "akleft", "akthink", "akyes", "akno"};

// Row, frames, action id and delay, then the adjustment groups. Text after the last "]" is
// parsed again as a whole action, so its first strict value fails.
void parseAction(QString &s, rAction &a)
{
    a.Frame = 0;
    for (;;) {
        a.Row = StrictInt(textBefore(s, QLatin1Char(',')));
        deleteThrough(s, QLatin1Char(','));
        a.Frames = StrictInt(textBefore(s, QLatin1Char(',')));
        deleteThrough(s, QLatin1Char(','));
        const int kind = codeOf(textBefore(s, QLatin1Char(',')), kActionIds);
        a.Kind = kind < 0 ? akNone : static_cast<uint8_t>(kind);
        deleteThrough(s, QLatin1Char(','));
        QString delay;
        const qsizetype bracket = s.indexOf(QLatin1Char('['));
        if (bracket >= 0) {
            delay = s.left(bracket);
            s.remove(0, bracket);
        } else {
            delay = s;
            s.clear();
        }
        a.Delay = StrictInt(delay);
        a.Adjust.clear();
        while (s.contains(QLatin1Char(']'))) {
            const QChar first = s.front();
            s.remove(0, 1);
            if (first != QLatin1Char('[')) continue;
            rFrameAdjust g;
            g.Index = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            g.DX = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            g.DY = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            g.ExtraDelay = scriptLenient(textBefore(s, QLatin1Char(']')));
            deleteThrough(s, QLatin1Char(']'));
            a.Adjust.push_back(g);
        }
        if (s.isEmpty()) return;
    }
}

} // namespace

const rFrameAdjust *rAction::AdjustFor(int32_t frame) const
{
    for (const rFrameAdjust &g : Adjust)
        if (g.Index == frame) return &g;
    return nullptr;
}

size_t rAnimation::ActionIndex() const
{
    for (size_t i = 0; i < Actions.size(); ++i)
        if (Actions[i].Kind == CurAct) return i;
    return 0;
}

void rAnimation::ShowFrame(int32_t frame)
{
    const rAction &a = Current();
    FramePicture.fill(Magenta);
    FramePicture.copyRect(0, 0, Sheet,
                          QRect(frame * CellWidth, a.Row * CellHeight, CellWidth, CellHeight));
    const rFrameAdjust *g = a.AdjustFor(frame);
    Layer.DX = g ? g->DX : 0;
    Layer.DY = g ? g->DY : 0;
}

TAnimation::TAnimation(Clock &clock, Random &random, Reporter &reporter, DataFolders folders)
    : m_clock(clock), m_random(random), m_reporter(reporter), m_folders(std::move(folders))
{
    ReactionDone = true;
    LoadScriptFile();
}

TAnimation::~TAnimation() = default;

void TAnimation::LoadScriptFile()
{
    const QString path =
        resolvePath(m_folders.sharedPath(QStringLiteral("Pictures/Animation.txt")));
    if (!QFileInfo::exists(path)) return;
    // A script that cannot be read (a folder, a FIFO) is shown as an error; the game plays
    // on without characters.
    QStringList lines;
    if (!guarded(m_reporter, [&] { lines = readTextLines(path); })) return;
    LoadScript(lines);
}

void TAnimation::LoadScript(const QStringList &lines)
{
    std::unique_ptr<rAnimation> block;
    for (const QString &line : lines) {
        QString s = line.toLower();
        auto takeValue = [&s] { deleteThrough(s, QLatin1Char('=')); };
        if (s.contains(QLatin1String("begin"))) block = std::make_unique<rAnimation>();
        if (s.contains(QLatin1String("name="))) {
            takeValue();
            const int code = codeOf(s, kCharacterIds);
            if (block && code >= 0) block->Character = static_cast<uint8_t>(code);
        }
        if (s.contains(QLatin1String("pic="))) {
            takeValue();
            if (block) block->Pic = s;
        }
        if (s.contains(QLatin1String("cell="))) {
            takeValue();
            const int32_t w = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            const int32_t h = scriptLenient(s);
            if (block) {
                block->CellWidth = w;
                block->CellHeight = h;
            }
        }
        if (s.contains(QLatin1String("pos="))) {
            takeValue();
            const int32_t x = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            const int32_t y = scriptLenient(textBefore(s, QLatin1Char(',')));
            deleteThrough(s, QLatin1Char(','));
            const int32_t depth = scriptLenient(s);
            if (block) {
                block->Layer.X = x;
                block->Layer.Y = y;
                block->Layer.Depth = depth;
            }
        }
        if (s.contains(QLatin1String("curact="))) {
            takeValue();
            const int code = codeOf(s, kActionIds);
            if (block && code >= 0) block->CurAct = static_cast<uint8_t>(code);
        }
        if (s.contains(QLatin1String("action="))) {
            takeValue();
            rAction a;
            parseAction(s, a);
            // An action of no known kind could never be played: the line is left out.
            if (block && a.Kind != akNone) block->Actions.push_back(std::move(a));
        }
        if (s.contains(QLatin1String("end")) && block) {
            // A sprite without actions has nothing to show.
            if (block->Actions.empty()) {
                block.reset();
                continue;
            }
            // One broken sheet costs its sprite, not the game: the error is shown and the
            // others play on. So does a cell too large to be a frame of any sheet, whose
            // frame bitmap could take all the memory there is.
            const QString sheet = m_folders.sharedPath(QStringLiteral("Pictures/") + block->Pic);
            if (!guarded(m_reporter, [&] {
                    if (block->CellWidth > MaxCellSide || block->CellHeight > MaxCellSide)
                        throw RuntimeError(QCoreApplication::translate("RuntimeError", "Cell size %1x%2 is not valid: \"%3\"")
                                               .arg(block->CellWidth)
                                               .arg(block->CellHeight)
                                               .arg(sheet));
                    block->Sheet = loadBitmapFile(sheet);
                })) {
                block.reset();
                continue;
            }
            block->FramePicture =
                Bitmap(std::max(0, block->CellWidth), std::max(0, block->CellHeight));
            block->FramePicture.fill(Magenta);
            block->FramePicture.transparent = true;
            block->Layer.Picture = &block->FramePicture;
            block->Layer.Alpha = -1;
            Sprites.push_back(std::move(block));
        }
    }
}

rAnimation *TAnimation::Find(uint8_t character) const
{
    for (const auto &sprite : Sprites)
        if (sprite->Character == character) return sprite.get();
    return nullptr;
}

void TAnimation::Animate()
{
    if (m_standInArmed && m_clock.tickCount() - m_standInStart >= StandInReactionMs) {
        m_standInArmed = false;
        ReactionDone = true;
    }
    for (const auto &owned : Sprites) {
        rAnimation &sprite = *owned;
        const uint32_t now = m_clock.tickCount();
        rAction &a = sprite.Current();
        const rFrameAdjust *g = a.AdjustFor(a.Frame < 0 ? a.Frames - 1 : a.Frame);
        const int64_t due = int64_t(a.Delay) + (g ? g->ExtraDelay : 0);
        if (int64_t(now - sprite.LastTick) < due) continue;
        a.Frame += 1;
        if (a.Frame >= a.Frames) a.Frame = ActionEnded(sprite);
        sprite.ShowFrame(sprite.Current().Frame);
        sprite.LastTick = m_clock.tickCount();
        if (sprite.Character == anButterFly) Flutter(sprite);
    }
}

int32_t TAnimation::ActionEnded(rAnimation &sprite)
{
    switch (sprite.Character) {
    case anButterFly:
        return 0;
    case anWoolly:
        if (sprite.CurAct != akThink) {
            sprite.CurAct = akThink;
            if (WoollyCaughtUp()) {
                ReactionDone = true;
                m_standInArmed = false;
            } else if (!ReactionDone && !m_standInArmed) {
                // Should Woolly's part never come, the reaction still ends.
                ArmStandIn();
            }
        }
        return 0;
    default:
        break;
    }
    const rAnimation *woolly = Find(anWoolly);
    // Without a Woolly to wait for, a reaction simply ends.
    if (!woolly || woolly->CurAct == akThink) {
        sprite.CurAct = akThink;
        return 0;
    }
    // Short reactions, whose last three frames would lie before frame 0, loop whole.
    return std::max(0, sprite.Current().Frames - 3);
}

void TAnimation::Flutter(rAnimation &sprite)
{
    const int a = m_random.below(50);
    int b = m_random.below(30);
    const int c = m_random.below(2);
    if (c == 0) b = -b;
    sprite.Layer.Y = std::clamp(sprite.Layer.Y + b, 0, 600);
    if (sprite.CurAct == akLeft) {
        sprite.Layer.X -= a;
        if (sprite.Layer.X < -500) sprite.CurAct = akRight;
    }
    if (sprite.CurAct == akRight) {
        sprite.Layer.X += a;
        if (sprite.Layer.X > 1300) sprite.CurAct = akLeft;
    }
}

bool TAnimation::WoollyCaughtUp() const
{
    return m_reactionsAsked[anWoolly] ==
           *std::max_element(m_reactionsAsked.begin(), m_reactionsAsked.end());
}

void TAnimation::ArmStandIn()
{
    m_standInArmed = true;
    m_standInStart = m_clock.tickCount();
}

void TAnimation::PlayAction(uint8_t character, uint8_t action)
{
    if (action != akThink) ReactionDone = false;
    if ((action == akYes || action == akNo) && character < m_reactionsAsked.size())
        ++m_reactionsAsked[character];
    if (rAnimation *sprite = Find(character)) {
        sprite->Current().Frame = 0;
        sprite->CurAct = action;
        sprite->Current().Frame = 0;
        sprite->ShowFrame(0);
    }
    // Only Woolly's return to thinking raises ReactionDone. When no Woolly reaction is
    // running to do it (no Woolly sprite, or Woolly already done), the reaction ends after a
    // fixed time instead, so a finished problem never stays on the board for ever.
    const rAnimation *woolly = Find(anWoolly);
    const bool woollyReacting = woolly && woolly->CurAct != akThink;
    if (ReactionDone || woollyReacting) {
        m_standInArmed = false;
    } else if (action != akThink || !m_standInArmed) {
        ArmStandIn();
    }
}
