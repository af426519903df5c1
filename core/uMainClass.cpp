#include "core/uMainClass.h"

#include "characters/uAnimation.h"
#include "characters/uSound.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/Random.h"
#include "platform/TextFiles.h"
#include "settings/SetFiles.h"

#include <algorithm>
#include <cstdint>

namespace {

// A name whose bytes are not GBK but UTF-8 is shown as the UTF-8 its editor wrote.
QString decodeName(const QByteArray &bytes)
{
    if (!isGbk(bytes)) {
        QString utf8 = QString::fromUtf8(bytes);
        if (utf8.toUtf8() == bytes) return utf8;
    }
    return gbkDecode(bytes);
}

// The first max bytes, never splitting a double-byte GBK character.
QByteArray cutBytes(const QByteArray &bytes, int max)
{
    int i = 0;
    while (i < max && i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        const int len = (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > max) break;
        i += len;
    }
    return bytes.left(i);
}

// Takes the bytes up to and including the first sep off rest and returns those before it;
// without a sep nothing is taken and the result is empty.
QByteArray takeBefore(QByteArray &rest, char sep)
{
    const qsizetype at = rest.indexOf(sep);
    if (at < 0) return {};
    QByteArray before = rest.left(at);
    rest.remove(0, at + 1);
    return before;
}

int32_t saturated(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

Bitmap loadPicture(const char *name)
{
    Bitmap b = loadBitmapFile(AppDir + QStringLiteral("Pictures/") + QLatin1String(name));
    b.transparent = true;
    return b;
}

} // namespace

TMainClass::TMainClass(const SceneGeometry &form, QObject *soundOwner) : Form(form)
{
    SetUpScene();
    LoadOptions();
    LoadMoney();
    Engines[0] = std::make_unique<TAdd>(BoardPicture, HintTextPicture);
    Engines[1] = std::make_unique<TDec>(BoardPicture, HintTextPicture);
    Engines[2] = std::make_unique<TMul>(BoardPicture, HintTextPicture);
    Engines[3] = std::make_unique<TDiv>(BoardPicture, HintTextPicture);
    PickOperation();
    Animation = std::make_unique<TAnimation>();
    Sound = std::make_unique<TSound>(soundOwner);
    Layers.clear();
}

TMainClass::~TMainClass()
{
    Animation.reset();
    Sound.reset();
    Layers.clear();
    Engine = nullptr;
    for (int i = 3; i >= 0; --i)
        Engines[i].reset();
}

void TMainClass::SetUpScene()
{
    BackBuffer.setSize(Form.ScreenWidth, Form.ScreenHeight);
    Background = loadPicture("Back.bmp");
    Background.transparent = false;
    BackBuffer.setSize(Background.width(), Background.height());
    SceneWidth = Background.width();
    SceneHeight = Background.height();
    SceneLeft = (Form.ScreenWidth - SceneWidth) / 2;
    SceneTop = (Form.ScreenHeight - SceneHeight - Form.AnswerPanelHeight) / 2;
    if (Form.Who.left() + Form.Who.width() > SceneLeft)
        SceneLeft = Form.Who.left() + Form.Who.width() + 10;
    if (Form.MoneyImage.top() < SceneTop + SceneHeight)
        SceneTop = Form.MoneyImage.top() - SceneHeight;

    auto layer = [](SceneLayer &l, Bitmap &picture, int x, int y, int depth, int alpha) {
        picture.transparent = true;
        l = SceneLayer{x, y, depth, &picture, 0, 0, alpha};
    };
    BlackboardPicture = loadPicture("BlackBoard.bmp");
    layer(BlackboardLayer, BlackboardPicture, 290, 73, 1, -1);
    BoardPicture.setSize(180, 240);
    BoardPicture.fill(Magenta);
    layer(BoardLayer, BoardPicture, 327, 115, 2, -1);
    TreeRightPicture = loadPicture("TreeRight.bmp");
    layer(TreeRightLayer, TreeRightPicture, 601, 217, 4, -1);
    TreeLeftPicture = loadPicture("TreeLeft.bmp");
    layer(TreeLeftLayer, TreeLeftPicture, 0, 217, 5, -1);
    HintPanelPicture = loadPicture("Hint.bmp");
    layer(HintPanelLayer, HintPanelPicture, 430, 260, 7, 0);
    HintTextPicture.setSize(100, 100);
    HintTextPicture.fill(Magenta);
    layer(HintTextLayer, HintTextPicture, 480, 290, 8, 0);
    GrassLeftPicture = loadPicture("GrassLeft.bmp");
    layer(GrassLeftLayer, GrassLeftPicture, 0, 374, 10, -1);
    GrassRightPicture = loadPicture("GrassRight.bmp");
    layer(GrassRightLayer, GrassRightPicture, 537, 460, 11, -1);
}

void TMainClass::LoadOptions()
{
    LoadOptionsFrom(ReadDataLines(QStringLiteral("Set/Basic.dat")));
}

void TMainClass::LoadOptionsFrom(const QStringList &lines)
{
    ChildPicture = HasZero(LineAt(lines, 0)) ? 0 : 1;
    QList<int32_t> ops;
    for (const QString &code : SetFiles::AlgCodes(LineAt(lines, 1))) {
        const int32_t op = LenientInt(code);
        // Codes no engine answers to are left out.
        if (op >= 0 && op < 4) ops << op;
    }
    ChosenOps = ops.isEmpty() ? QList<int32_t>{0} : ops;
    HintOn = !HasZero(LineAt(lines, 2));
}

void TMainClass::ReloadEngines()
{
    for (auto &engine : Engines)
        engine->LoadSettings();
}

bool TMainClass::CanPose() const
{
    for (int32_t op : ChosenOps) {
        if (Engines[op] && Engines[op]->HasTypes()) return true;
    }
    return false;
}

void TMainClass::PickOperation()
{
    QList<int32_t> usable;
    for (int32_t op : ChosenOps) {
        if (Engines[op]->HasTypes()) usable << op;
    }
    // With no usable type anywhere the first chosen engine stays idle: an empty board.
    const QList<int32_t> &from = usable.isEmpty() ? ChosenOps : usable;
    Engine = Engines[from.at(randomBelow(from.size()))].get();
}

void TMainClass::Present()
{
    Compose();
}

void TMainClass::Compose()
{
    BackBuffer.copyRect(0, 0, Background, QRect(0, 0, Background.width(), Background.height()));
    BuildLayers();
    for (SceneLayer *layer : Layers) {
        if (!layer->Picture || layer->Alpha == 0) continue;
        const int x = layer->X + layer->DX;
        const int y = layer->Y + layer->DY;
        if (layer->Alpha == -1 || layer->Alpha == 100)
            BackBuffer.draw(x, y, *layer->Picture);
        else
            BlendBitmap(BackBuffer, *layer->Picture, x, y, static_cast<uint16_t>(layer->Alpha));
    }
}

void TMainClass::DrawBoard()
{
    BoardPicture.fill(Magenta);
    Engine->PaintBoard();
    if (!CanPose()) DrawNoProblem();
}

void TMainClass::DrawNoProblem()
{
    // Said on the board itself, where the child looks, so nobody waits for a problem that
    // never comes; "设置" in red, as what must be looked at.
    static const struct
    {
        const char *text;
        bool red;
    } lines[] = {{"现在没有", false},
                 {"能用的题型。", false},
                 {"请点右边的", false},
                 {"“设置”", true},
                 {"选择题型。", false}};
    // The engines share this bitmap and expect its font as they left it.
    const Bitmap::Font engineFont = BoardPicture.font;
    BoardPicture.fill(KeyGrey);
    BoardPicture.font.face = QStringLiteral("Comic Sans MS");
    BoardPicture.font.size = 14;
    BoardPicture.font.bold = true;
    int y = 30;
    for (const auto &line : lines) {
        const QString text = QString::fromUtf8(line.text);
        BoardPicture.font.color = line.red ? Red : Yellow;
        const int x = (BoardPicture.width() - BoardPicture.textExtent(text).width()) / 2;
        BoardPicture.textOut(std::max(0, x), y, text);
        y += 36;
    }
    BoardPicture.font = engineFont;
}

void TMainClass::DrawHint()
{
    HintTextPicture.fill(Magenta);
    Engine->PaintHint();
}

void TMainClass::BuildLayers()
{
    DrawBoard();
    Animation->Animate();
    Layers.clear();
    Layers = {&BlackboardLayer, &BoardLayer, &HintPanelLayer, &HintTextLayer};
    SceneLayer *hints[2] = {&HintPanelLayer, &HintTextLayer};
    if (!HintOn) {
        for (SceneLayer *h : hints)
            h->Alpha = 0;
    } else if (Engine->CanHint() && Engine->HintDue() && !Engine->IsFinished()) {
        DrawHint();
        for (SceneLayer *h : hints) {
            if (h->Alpha < 60) h->Alpha += 5;
            if (h->Alpha > 60) h->Alpha = 60;
        }
    } else {
        for (SceneLayer *h : hints) {
            if (h->Alpha > 0) h->Alpha -= 20;
            if (h->Alpha < 0) h->Alpha = 0;
        }
    }
    for (SceneLayer *l : {&TreeRightLayer, &TreeLeftLayer, &GrassLeftLayer, &GrassRightLayer})
        Layers.push_back(l);
    for (auto &sprite : Animation->Sprites)
        Layers.push_back(&sprite->Layer);
    std::stable_sort(Layers.begin(), Layers.end(), [](const SceneLayer *a, const SceneLayer *b) {
        return CompareLayers(*a, *b) < 0;
    });
}

void TMainClass::LoadMoney()
{
    LoadMoneyBytes(readFileBytes(SetFiles::Path(SetFiles::Money)));
}

void TMainClass::LoadMoneyFrom(const QStringList &lines)
{
    LoadMoneyBytes(encodeLines(lines));
}

void TMainClass::LoadMoneyBytes(const QByteArray &bytes)
{
    // Split as bytes, not as decoded text: bytes that are not GBK would come back as "?".
    // Neither a line break nor "=" or "," is ever the second byte of a GBK character.
    const QList<QByteArray> lines = splitByteLines(bytes);
    std::vector<PlayerAccount> players(static_cast<size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray rest = lines.at(i);
        PlayerAccount &p = players[static_cast<size_t>(i)];
        p.NameBytes = cutBytes(takeBefore(rest, '='), 10);
        p.Name = decodeName(p.NameBytes);
        const QString counts = gbkDecode(rest);
        p.Gold = LenientInt(textBefore(counts, QLatin1Char(',')));
        QString silver = counts;
        deleteThrough(silver, QLatin1Char(','));
        p.Silver = LenientInt(silver);
    }
    Players = std::move(players);
}

QByteArray TMainClass::MoneyBytes() const
{
    QByteArray bytes;
    for (const PlayerAccount &p : Players) {
        bytes += p.Name == decodeName(p.NameBytes) ? p.NameBytes : gbkEncode(p.Name);
        bytes += '=' + QByteArray::number(p.Gold) + ',' + QByteArray::number(p.Silver) + "\r\n";
    }
    return bytes;
}

void TMainClass::SaveMoney()
{
    writeFileSafely(SetFiles::Path(SetFiles::Money), MoneyBytes());
}

void TMainClass::SetPlayerName(const QString &name)
{
    PlayerAccount *a = Account();
    if (!a) return;
    a->Name = cutGbk(name, 10);
    a->NameBytes = gbkEncode(a->Name);
}

int TMainClass::AccountIndex(int32_t player)
{
    return player <= 1 ? 0 : player - 1;
}

PlayerAccount *TMainClass::Account()
{
    const int i = AccountIndex(CurrentPlayer);
    if (i < 0) return nullptr;
    // An account the file lacks is added, so coins paid to it are kept when saving.
    if (static_cast<size_t>(i) >= Players.size()) Players.resize(static_cast<size_t>(i) + 1);
    return &Players[static_cast<size_t>(i)];
}

const PlayerAccount *TMainClass::Account() const
{
    const int i = AccountIndex(CurrentPlayer);
    if (i < 0 || static_cast<size_t>(i) >= Players.size()) return nullptr;
    return &Players[static_cast<size_t>(i)];
}

QString TMainClass::PlayerName() const
{
    const PlayerAccount *a = Account();
    return a ? a->Name : QString();
}

int32_t TMainClass::PlayerGold() const
{
    const PlayerAccount *a = Account();
    return a ? a->Gold : 0;
}

int32_t TMainClass::PlayerSilver() const
{
    const PlayerAccount *a = Account();
    return a ? a->Silver : 0;
}

void TMainClass::AddCoins(int32_t count)
{
    PlayerAccount *a = Account();
    if (!a) return;
    // Counts edited by hand can be anything; saturate rather than overflow.
    a->Silver = saturated(int64_t(a->Silver) + count);
    if (a->Silver >= 100) {
        a->Silver -= 100;
        a->Gold = saturated(int64_t(a->Gold) + 1);
    }
}

void TMainClass::TakeCoins(int32_t count)
{
    const PlayerAccount *known = static_cast<const TMainClass *>(this)->Account();
    if (!known || known->Gold < 5) return;
    PlayerAccount *a = Account();
    a->Silver = saturated(int64_t(a->Silver) - count);
    if (a->Silver < 0) {
        a->Silver = saturated(int64_t(a->Silver) + 100);
        a->Gold -= 1;
    }
}
