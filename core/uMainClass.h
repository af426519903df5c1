#pragma once

#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QObject;
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
    // BackBuffer for the window to show at (SceneLeft, SceneTop).
    void Present();

    void LoadMoney();
    void LoadMoneyFrom(const QStringList &lines);
    // Money.dat's bytes in, and what SaveMoney writes.
    void LoadMoneyBytes(const QByteArray &bytes);
    QByteArray MoneyBytes() const;
    void SaveMoney();
    // Renames the current player's account (cut to 10 bytes of GBK).
    void SetPlayerName(const QString &name);
    void SetPlayer(int32_t player) { CurrentPlayer = player; }
    int32_t GetPlayer() const { return CurrentPlayer; }
    QString PlayerName() const;
    int32_t PlayerGold() const;
    int32_t PlayerSilver() const;
    void AddCoins(int32_t count);
    void TakeCoins(int32_t count);

    // The account of a player index: 0 and 1 share account 0, 2 to 4 use 1 to 3.
    static int AccountIndex(int32_t player);

    SceneGeometry Form;
    int32_t SceneLeft = 0;
    int32_t SceneTop = 0;
    int32_t SceneWidth = 0;
    int32_t SceneHeight = 0;
    Bitmap BackBuffer;
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
};
