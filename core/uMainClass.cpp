#include "core/uMainClass.h"

#include "characters/uAnimation.h"
#include "characters/uSound.h"
#include "core/PoseAgain.h"
#include "core/ProblemView.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/Random.h"
#include "platform/TextFiles.h"
#include "progress/Journal.h"
#include "progress/Review.h"
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

// The engine's read-only view; every engine of Engines has one.
const ProblemView *viewOf(const TAlgo *engine)
{
    return dynamic_cast<const ProblemView *>(engine);
}

int32_t saturated(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

Bitmap loadPicture(const char *name)
{
    Bitmap b = loadBitmapFile(sharedPath(QStringLiteral("Pictures/") + QLatin1String(name)));
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
    // Last, so that a game that cannot start leaves no journal behind; a journal that cannot
    // be opened says so once and the game goes on without it.
    m_journal =
        std::make_unique<Journal>(resolvePath(SetFiles::Path(QStringLiteral("Progress.db"))));
    m_review = std::make_unique<Review>(*m_journal);
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
    Background = loadPicture("Back.bmp");
    Background.transparent = false;
    const qreal ratio = Form.PixelRatio;
    Composer.setPixelRatio(ratio);
    BackBuffer = QImage(toDevicePixels(Background.width(), ratio),
                        toDevicePixels(Background.height(), ratio), QImage::Format_RGB32);
    BackBuffer.fill(Qt::black);
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
    BoardPicture.setPixelRatio(ratio);
    BoardPicture.fill(Magenta);
    layer(BoardLayer, BoardPicture, 327, 115, 2, -1);
    TreeRightPicture = loadPicture("TreeRight.bmp");
    layer(TreeRightLayer, TreeRightPicture, 601, 217, 4, -1);
    TreeLeftPicture = loadPicture("TreeLeft.bmp");
    layer(TreeLeftLayer, TreeLeftPicture, 0, 217, 5, -1);
    // The hint stands beside the blackboard, never over what the child is working on.
    HintPanelPicture = loadPicture("Hint.bmp");
    layer(HintPanelLayer, HintPanelPicture, 518, 92, 7, 0);
    HintTextPicture.setSize(100, 100);
    HintTextPicture.setPixelRatio(ratio);
    HintTextPicture.fill(Magenta);
    layer(HintTextLayer, HintTextPicture, 518 + 62, 92 + 24, 8, 0);
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
    ReviewOn = SetFiles::ReviewOn(lines);
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
    BuildLayers();
    // The background first, then the layers back to front; only what changed is redrawn.
    Composer.compose(BackBuffer, Background, Layers);
}

void TMainClass::DrawBoard()
{
    // The engine paints every tick; unchanged paintings leave the board's pixels alone.
    BoardPicture.beginBatch();
    BoardPicture.fill(Magenta);
    Engine->PaintBoard();
    if (!CanPose()) DrawNoProblem();
    BoardPicture.endBatch();
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
    HintTextPicture.beginBatch();
    HintTextPicture.fill(Magenta);
    Engine->PaintHint();
    if (m_open.Engine == Engine) m_open.HintSeen = true;
    HintTextPicture.endBatch();
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
        p.NameBytes = cutGbkBytes(takeBefore(rest, '='), 10);
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
    return NameOf(CurrentPlayer);
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

QString TMainClass::NameOf(int32_t player) const
{
    const int i = AccountIndex(player);
    return i >= 0 && static_cast<size_t>(i) < Players.size() ? Players[i].Name : QString();
}

bool TMainClass::RenamePlayer(int32_t player, const QString &name)
{
    const int i = AccountIndex(player);
    // "=" ends the name in Money.dat and a line break ends the account: neither may get in.
    QString clean = name.simplified();
    clean.remove(QLatin1Char('='));
    // What the file will hold, so the button shows the same name after a reload.
    clean = cutGbk(gbkDecode(gbkEncode(clean)), 10).trimmed();
    if (i < 0 || clean.isEmpty()) return false;
    LoadMoney();
    if (static_cast<size_t>(i) >= Players.size()) Players.resize(static_cast<size_t>(i) + 1);
    Players[i].Name = clean;
    Players[i].NameBytes = gbkEncode(clean);
    SaveMoney();
    return true;
}

int32_t TMainClass::Operation() const
{
    for (int32_t op = 0; op < 4; ++op) {
        if (Engines[op].get() == Engine) return op;
    }
    return -1;
}

void TMainClass::NewProblem()
{
    if (PoseReview()) return;
    Engine->NewProblem();
    ProblemPosed();
}

bool TMainClass::PoseReview()
{
    if (!ReviewOn || !m_review || !m_review->isOn()) return false;
    const auto item = m_review->due(CurrentPlayer, [this](const ReviewItem &r) {
        // An operation off the "Alg=" line, or a type no longer chosen, waits.
        return ChosenOps.contains(r.Operation) &&
               CanPoseAgain(*Engines[r.Operation], r.Operand1, r.Operand2, r.Type);
    });
    if (!item) return false;
    TAlgo &engine = *Engines[item->Operation];
    if (!PoseAgain(engine, item->Operand1, item->Operand2, item->Type, item->StepMode))
        return false;
    Engine = &engine;
    ProblemPosed();
    m_review->posed(*item, m_open.Row);
    return true;
}

void TMainClass::ProblemPosed()
{
    m_open = {};
    const int32_t op = Operation();
    const ProblemView *view = viewOf(Engine);
    if (op < 0 || !view || !m_journal) return;
    const ProblemSnapshot s = view->Snapshot();
    if (!s.Posed) return;
    PosedRecord r;
    r.Player = CurrentPlayer;
    r.PlayerName = PlayerName();
    r.Operation = op;
    r.Operand1 = s.Operand1;
    r.Operand2 = s.Operand2;
    r.Type = s.TypeLine;
    r.StepMode = s.StepMode;
    r.PosedAt = QDateTime::fromMSecsSinceEpoch(gameClock().utcMilliseconds(), Qt::UTC);
    m_open.Row = m_journal->recordPosed(r);
    m_open.Engine = Engine;
    m_open.StepAsked = GetTickCount();
    m_open.HintSeen = false;
}

bool TMainClass::CheckAnswer(int32_t value)
{
    TAlgo *engine = Engine;
    const ProblemView *view = viewOf(engine);
    const bool recording =
        m_open.Row != 0 && m_open.Engine == engine && Operation() >= 0 && view && m_journal;
    // The step is read before the check: a right answer may move the engine on.
    const int32_t step = recording ? view->Snapshot().Step : -1;
    const bool right = engine->CheckAnswer(value);
    if (!recording) return right;
    AnswerRecord a;
    a.Step = step;
    a.Value = value;
    a.Correct = right;
    a.HintShown = m_open.HintSeen;
    a.Ms = GetTickCount() - m_open.StepAsked;
    a.At = QDateTime::fromMSecsSinceEpoch(gameClock().utcMilliseconds(), Qt::UTC);
    a.Player = CurrentPlayer;
    a.PlayerName = PlayerName();
    a.Finishes = right && engine->IsFinished();
    a.Coins = a.Finishes ? engine->Reward() : 0;
    m_journal->recordAnswer(m_open.Row, a);
    if (ReviewOn && m_review) m_review->answered(m_open.Row, right, a.Finishes);
    if (a.Finishes) m_open = {};
    return right;
}

void TMainClass::NextStep()
{
    const int64_t row = m_open.Row;
    Engine->NextStep();
    // The next step is asked once the engine has moved on; a problem posed while it waited
    // has its own clock.
    if (row != 0 && m_open.Row == row) {
        m_open.StepAsked = GetTickCount();
        m_open.HintSeen = false;
    }
}
