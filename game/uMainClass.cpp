#include "game/uMainClass.h"

#include "core/EngineHost.h"
#include "core/ProblemView.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/CoinBank.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/TextFiles.h"
#include "progress/Journal.h"
#include "progress/Review.h"
#include "settings/SetFiles.h"

#include <QDateTime>

namespace {

// The engine's read-only view; every engine of the controller has one.
const ProblemView *viewOf(const TAlgo *engine)
{
    return dynamic_cast<const ProblemView *>(engine);
}

QDateTime utcNow(Clock &clock)
{
    return QDateTime::fromMSecsSinceEpoch(clock.utcMilliseconds(), Qt::UTC);
}

} // namespace

TMainClass::TMainClass(EngineHost &host, Bitmap &board, Bitmap &hint, const CoinBank &bank,
                       Reporter &reporter)
    : m_host(host), m_bank(bank)
{
    LoadOptions();
    m_engines[0] = std::make_unique<TAdd>(board, hint, host);
    m_engines[1] = std::make_unique<TDec>(board, hint, host);
    m_engines[2] = std::make_unique<TMul>(board, hint, host);
    m_engines[3] = std::make_unique<TDiv>(board, hint, host);
    PickOperation();
    // Last, so that a game that cannot start leaves no journal behind; a journal that cannot
    // be opened says so once and the game goes on without it.
    m_journal = std::make_unique<Journal>(
        resolvePath(SetFiles::Path(host.folders().setFolder(), QStringLiteral("Progress.db"))),
        reporter);
    m_review = std::make_unique<Review>(*m_journal);
}

TMainClass::~TMainClass()
{
    m_engine = nullptr;
    for (int i = OpCount - 1; i >= 0; --i)
        m_engines[i].reset();
}

void TMainClass::LoadOptions()
{
    LoadOptionsFrom(m_host.ReadDataLines(QStringLiteral("Set/Basic.dat")));
}

void TMainClass::LoadOptionsFrom(const QStringList &lines)
{
    m_childPicture = HasZero(LineAt(lines, 0)) ? 0 : 1;
    QList<Op> ops;
    for (const QString &code : SetFiles::AlgCodes(LineAt(lines, 1))) {
        Op op;
        // Codes no engine answers to are left out.
        if (OpFromCode(LenientInt(code), op)) ops << op;
    }
    m_chosenOps = ops.isEmpty() ? QList<Op>{Op::Add} : ops;
    m_hintOn = !HasZero(LineAt(lines, 2));
    m_reviewOn = SetFiles::ReviewOn(lines);
}

void TMainClass::ReloadEngines()
{
    for (auto &engine : m_engines)
        engine->LoadSettings();
}

bool TMainClass::CanPose() const
{
    for (Op op : m_chosenOps) {
        if (EngineOf(op).HasTypes()) return true;
    }
    return false;
}

void TMainClass::PickOperation()
{
    QList<Op> usable;
    for (Op op : m_chosenOps) {
        if (EngineOf(op).HasTypes()) usable << op;
    }
    // With no usable type anywhere the first chosen engine stays idle: an empty board.
    const QList<Op> &from = usable.isEmpty() ? m_chosenOps : usable;
    UseEngine(from.at(m_host.random().below(from.size())));
}

Op TMainClass::Operation() const
{
    for (Op op : AllOps) {
        if (&EngineOf(op) == m_engine) return op;
    }
    return Op::Add;
}

void TMainClass::NewProblem()
{
    if (PoseReview()) return;
    m_engine->NewProblem();
    ProblemPosed();
}

bool TMainClass::PoseReview()
{
    if (!m_reviewOn || !m_review->isOn()) return false;
    const auto item = m_review->due(CurrentPlayer, [this](const ReviewItem &r) {
        // An operation off the "Alg=" line, or a type no longer chosen, waits.
        return m_chosenOps.contains(r.Operation) &&
               EngineOf(r.Operation).CanPoseAgain(r.Operand1, r.Operand2, r.Type);
    });
    if (!item) return false;
    TAlgo &engine = EngineOf(item->Operation);
    if (!engine.PoseAgain(item->Operand1, item->Operand2, item->Type, item->StepMode)) return false;
    m_engine = &engine;
    ProblemPosed();
    m_review->posed(*item, m_open.Row);
    return true;
}

void TMainClass::ProblemPosed()
{
    m_open = {};
    const ProblemView *view = viewOf(m_engine);
    if (!view) return;
    const ProblemSnapshot s = view->Snapshot();
    if (!s.Posed) return;
    PosedRecord r;
    r.Player = CurrentPlayer;
    r.PlayerName = m_bank.NameOf(CurrentPlayer);
    r.Operation = Operation();
    r.Operand1 = s.Operand1;
    r.Operand2 = s.Operand2;
    r.Type = s.TypeLine;
    r.StepMode = s.StepMode;
    r.PosedAt = utcNow(m_host.clock());
    m_open.Row = m_journal->recordPosed(r);
    m_open.Engine = m_engine;
    m_open.StepAsked = m_host.GetTickCount();
    m_open.HintSeen = false;
}

bool TMainClass::CheckAnswer(int32_t value)
{
    TAlgo *engine = m_engine;
    const ProblemView *view = viewOf(engine);
    const bool recording = m_open.Row != 0 && m_open.Engine == engine && view;
    // The step is read before the check: a right answer may move the engine on.
    const int32_t step = recording ? view->Snapshot().Step : -1;
    const bool right = engine->CheckAnswer(value);
    if (!recording) return right;
    AnswerRecord a;
    a.Step = step;
    a.Value = value;
    a.Correct = right;
    a.HintShown = m_open.HintSeen;
    a.Ms = m_host.GetTickCount() - m_open.StepAsked;
    a.At = utcNow(m_host.clock());
    a.Player = CurrentPlayer;
    a.PlayerName = m_bank.NameOf(CurrentPlayer);
    a.Finishes = right && engine->IsFinished();
    a.Coins = a.Finishes ? engine->Reward() : 0;
    m_journal->recordAnswer(m_open.Row, a);
    if (m_reviewOn) m_review->answered(m_open.Row, right, a.Finishes);
    if (a.Finishes) m_open = {};
    return right;
}

void TMainClass::NextStep()
{
    const int64_t row = m_open.Row;
    m_engine->NextStep();
    // The next step is asked once the engine has moved on.
    if (row != 0 && m_open.Row == row) {
        m_open.StepAsked = m_host.GetTickCount();
        m_open.HintSeen = false;
    }
}

void TMainClass::HintSeen()
{
    if (m_open.Engine == m_engine) m_open.HintSeen = true;
}
