#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

class Bitmap;

// The four operations. Their digits are the codes after "Alg=" in Basic.dat and in the journal.
enum class Op : int32_t { Add = 0, Dec = 1, Mul = 2, Div = 3 };
inline constexpr int OpCount = 4;
inline constexpr std::array<Op, OpCount> AllOps = {Op::Add, Op::Dec, Op::Mul, Op::Div};
inline constexpr int32_t OpCode(Op op)
{
    return static_cast<int32_t>(op);
}
// The operation of a code read from a file; false for a code no engine answers to.
bool OpFromCode(int32_t code, Op &op);

// The exercise engine: the ten operations the session drives it by, and what it needs beyond
// them to be driven without waiting and to pose a given problem.
class TAlgo
{
public:
    virtual ~TAlgo() = default;
    virtual void LoadSettings() = 0;
    virtual void NewProblem() = 0;
    virtual void PaintBoard() = 0;
    virtual bool HintDue() = 0;
    virtual void PaintHint() = 0;
    virtual void NextStep() = 0;
    virtual bool CheckAnswer(int32_t value) = 0;
    virtual bool IsFinished() = 0;
    virtual bool CanHint() = 0;
    virtual int32_t Reward() = 0;
    // Whether NewProblem can pose anything: false when no loaded type can ever produce a
    // problem, so the controller never picks this engine.
    virtual bool HasTypes() const = 0;
    // The last right answer is still moving into place on the board (a carry flying, a row
    // left alone for a moment): NextStep must wait until it has settled.
    virtual bool Settling() = 0;
    // Whether a and b are a problem of the chosen type typeLine, as a review poses it again.
    virtual bool CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const = 0;
    // Poses a and b as a problem of typeLine with the coins its chosen line pays now, in the
    // answer mode given where the engine has two. False, with nothing posed, when
    // CanPoseAgain is not true.
    virtual bool PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool stepMode) = 0;
};

// One allowed kind of problem, from one line of a chosen-list file.
struct ProblemType
{
    int32_t Digits1 = 0;
    int32_t Digits2 = 0;
    int32_t Threshold = 0;
    int32_t Compare = 101;
    int32_t Coins = 0;
    // The chosen-list line the type was read from, which names it in the journal.
    QString Line;
};

// Parses "1位数+1位数>10(1硬币)". op is the operator sign; comparisons are read for addition
// only. rest, when given, receives what is left after the coins' "(" (the division engine
// reads further elements there).
ProblemType ParseProblemType(const QString &line, QChar op, bool comparisons,
                             QString *rest = nullptr);

// Leading blanks, an optional sign, then digits up to the first other character; 0 when
// there are none. Values beyond 32 bits saturate.
int32_t LenientInt(QStringView text);
// The same form with nothing after the digits, or the conversion error.
int32_t StrictInt(const QString &text);
// Whether a settings line counts as off: it contains the character "0" anywhere.
bool HasZero(const QString &line);
// Line i of a list, or the list error.
const QString &LineAt(const QStringList &lines, int i);

// The text before the first sep; empty when sep is missing.
QString textBefore(const QString &text, QStringView sep);
QString textBefore(const QString &text, QChar sep);
// Removes everything up to and including the first sep; nothing when sep is missing.
void deleteThrough(QString &text, QStringView sep);
void deleteThrough(QString &text, QChar sep);

// Ten countdown slots in milliseconds, counted down by the game's 50 ms timer.
class TickSlots
{
public:
    void ArmSlot(int32_t ms, int slot);
    bool SlotElapsed(int slot);
    void CountDownSlots(int32_t interval);
    int32_t Left(int slot) const;

private:
    std::array<int32_t, 10> m_slots{};
};

// One drawable layer of the scene.
struct SceneLayer
{
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Depth = 0;
    Bitmap *Picture = nullptr;
    int32_t DX = 0;
    int32_t DY = 0;
    int32_t Alpha = -1;
};

// Blends source onto destination at percent, channel by channel, leaving out the channels
// that equal the source's key colour.
void BlendBitmap(Bitmap &destination, Bitmap &source, int32_t x, int32_t y, uint16_t percent);
// Writes a short text in "Comic Sans MS" with no background.
void DrawGlyphText(Bitmap &destination, int32_t x, int32_t y, const QString &text, int32_t size,
                   const QColor &colour);
int CompareLayers(const SceneLayer &a, const SceneLayer &b);

// Colours the engines and the scene share.
inline const QColor KeyGrey(100, 100, 100);
inline const QColor Magenta(255, 0, 255);
inline const QColor Yellow(255, 255, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Blue(0, 0, 255);
