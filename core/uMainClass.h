#pragma once

#include "core/Def.h"
#include "core/SceneComposer.h"
#include "platform/Bitmap.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class Journal;
class QObject;
class Review;
class TAnimation;
class TSound;

// One account of the coin bank: a line "name=gold,silver" of Set/Money.dat.
struct PlayerAccount
{
    QString Name; // at most 10 bytes in GBK
    int32_t Gold = 0;
    int32_t Silver = 0;
    // The name as the file spells it; written back unchanged while Name is unchanged, so a
    // name in another encoding survives a save.
    QByteArray NameBytes;
};

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

// The game controller: scene, engines, characters, sound, options and coin bank.
class TMainClass
{
public:
    TMainClass(const SceneGeometry &form, QObject *soundOwner);
    ~TMainClass();
    TMainClass(const TMainClass &) = delete;
    TMainClass &operator=(const TMainClass &) = delete;

    void LoadOptions();
    // The same from the lines of a Basic.dat already read.
    void LoadOptionsFrom(const QStringList &lines);
    void ReloadEngines();
    void PickOperation();
    // Whether some chosen operation has a problem type it can pose.
    bool CanPose() const;
    // One scene tick: the board, the hint, the characters and the layers, composed in
    // BackBuffer (device pixels) for the window to show at (SceneLeft, SceneTop).
    void Present();

    void LoadMoney();
    void LoadMoneyFrom(const QStringList &lines);
    // Money.dat's bytes in, and what SaveMoney writes.
    void LoadMoneyBytes(const QByteArray &bytes);
    QByteArray MoneyBytes() const;
    void SaveMoney();
    void SetPlayer(int32_t player) { CurrentPlayer = player; }
    int32_t GetPlayer() const { return CurrentPlayer; }
    QString PlayerName() const;
    int32_t PlayerGold() const;
    int32_t PlayerSilver() const;
    void AddCoins(int32_t count);
    void TakeCoins(int32_t count);

    // The account of a player index: 0 and 1 share account 0, 2 to 4 use 1 to 3.
    static int AccountIndex(int32_t player);
    // The name of a player's account as the bank holds it.
    QString NameOf(int32_t player) const;
    // Gives a player's account a new name, cut to 10 GBK bytes without splitting a
    // character, and saves the bank. False when nothing is left of the name.
    bool RenamePlayer(int32_t player, const QString &name);

    // The answer flow, recorded in the practice journal. NewProblem: the current engine poses
    // a new problem (one still in progress is abandoned and stays unfinished in the journal).
    void NewProblem();
    // Records the current engine's problem as newly posed, for a problem given to it some
    // other way (its SetProblem).
    void ProblemPosed();
    bool CheckAnswer(int32_t value);
    void NextStep();
    // The operation code of the current engine; -1 when it is none of Engines.
    int32_t Operation() const;
    Journal *journal() const { return m_journal.get(); }

    SceneGeometry Form;
    int32_t SceneLeft = 0;
    int32_t SceneTop = 0;
    int32_t SceneWidth = 0;
    int32_t SceneHeight = 0;
    // The composed scene at device pixels, in the window's pixel format.
    QImage BackBuffer;
    // Keeps BackBuffer and knows where it changed since the window last asked.
    SceneComposer Composer;
    Bitmap Background;
    SceneLayer BlackboardLayer, BoardLayer, TreeRightLayer, TreeLeftLayer, GrassLeftLayer,
        GrassRightLayer, HintPanelLayer, HintTextLayer;
    std::vector<SceneLayer *> Layers;
    std::vector<PlayerAccount> Players;
    int32_t CurrentPlayer = 0;
    std::array<std::unique_ptr<TAlgo>, 4> Engines;
    QList<int32_t> ChosenOps;
    TAlgo *Engine = nullptr;
    std::unique_ptr<TAnimation> Animation;
    std::unique_ptr<TSound> Sound;
    int32_t ChildPicture = 0;
    bool HintOn = true;
    // Missed problems come back (the fifth line of Basic.dat).
    bool ReviewOn = true;
    int32_t SolvedCount = 0;

    // The layers' pictures; the board and hint bitmaps are shared by all engines.
    Bitmap BlackboardPicture, BoardPicture, TreeRightPicture, TreeLeftPicture, GrassLeftPicture,
        GrassRightPicture, HintPanelPicture, HintTextPicture;

private:
    void SetUpScene();
    void Compose();
    void BuildLayers();
    void DrawBoard();
    void DrawNoProblem();
    void DrawHint();
    PlayerAccount *Account();
    const PlayerAccount *Account() const;
    // Poses a missed problem that is due instead of a drawn one; false when there is none.
    bool PoseReview();
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<Review> m_review;
    // The problem the journal has open: its row, and when and with what hint the step
    // under way was asked.
    struct OpenProblem
    {
        int64_t Row = 0;
        TAlgo *Engine = nullptr;
        uint32_t StepAsked = 0;
        bool HintSeen = false;
    } m_open;
};
