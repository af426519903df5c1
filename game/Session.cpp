#include "game/Session.h"

#include "characters/uAnimation.h"
#include "characters/uSound.h"
#include "platform/Clock.h"
#include "settings/SetFiles.h"

Session::Session(const GameServices &services, const SceneGeometry &geometry)
    : m_services(services), m_host(services.GameClock, services.Folders),
      m_scene(services.Folders, geometry), m_bank(LoadedBank(services.Folders)),
      m_game(m_host, m_scene.BoardPicture(), m_scene.HintTextPicture(), m_bank, services.Messages)
{
    m_animation = std::make_unique<TAnimation>(services.GameClock, m_host.random(),
                                               services.Messages, services.Folders);
    m_sound = std::make_unique<TSound>(services.Sound, services.Folders);
}

Session::~Session() = default;

CoinBank Session::LoadedBank(const DataFolders &folders)
{
    CoinBank bank(SetFiles::Path(folders.setFolder(), SetFiles::Money));
    bank.LoadMoney();
    return bank;
}

void Session::Start()
{
    NewProblem();
    // The first frame is ready before the window first paints.
    Present();
    m_scene.TakeChanged();
    m_sound->Play(anWoolly, akThink);
    SetPlayer(0);
    m_solved = 0;
}

void Session::Present()
{
    const bool hint =
        m_scene.Present(m_game.Engine(), m_game.CanPose(), m_game.HintOn(), *m_animation);
    if (hint) m_game.HintSeen();
}

void Session::NewProblem()
{
    ++m_posed;
    m_game.NewProblem();
}

bool Session::CanAnswer() const
{
    return !ProblemFinished() && !Busy();
}

AnswerOutcome Session::Submit(int32_t value)
{
    AnswerOutcome out;
    if (!CanAnswer()) return out;
    out.Taken = true;
    const int32_t player = Player();
    out.Right = m_game.CheckAnswer(value);
    bool stepWaits = false;
    if (out.Right) {
        TAlgo &engine = m_game.Engine();
        out.Finished = engine.IsFinished();
        if (out.Finished) {
            m_solved += 1;
            out.CoinsPaid = engine.Reward();
            m_bank.AddCoins(player, out.CoinsPaid);
            m_bank.SaveMoney();
        } else {
            stepWaits = true;
        }
        out.Reactions = {{{anOldSheep, akYes}, {anWoolly, akYes}, {anWolf, akYes}}};
    } else {
        out.CoinsTaken = m_bank.GoldOf(player) >= 5 ? 1 : 0;
        m_bank.TakeCoins(player, 1);
        m_bank.SaveMoney();
        out.Reactions = {{{anOldSheep, akNo}, {anWolf, akNo}, {anWoolly, akNo}}};
    }
    m_course = Course{true, stepWaits, m_posed, out.Reactions, 0, m_host.GetTickCount()};
    Advance();
    return out;
}

int32_t Session::Advance()
{
    Course &c = m_course;
    if (!c.Active) return -1;
    const uint32_t now = m_host.GetTickCount();
    if (c.StepWaiting) {
        // A problem posed meanwhile has its own first step; the old one is never asked.
        if (m_posed == c.PosedAtStart) {
            if (m_game.Engine().Settling()) return -1;
            m_game.NextStep();
        }
        c.StepWaiting = false;
        c.NextAt = now;
    }
    if (static_cast<int32_t>(c.NextAt - now) > 0) return static_cast<int32_t>(c.NextAt - now);
    React(c.Reactions[c.Next]);
    if (++c.Next == static_cast<int>(c.Reactions.size())) {
        c.Active = false;
        return -1;
    }
    c.NextAt = now + ReactionPauseMs;
    return ReactionPauseMs;
}

void Session::React(const Reaction &r)
{
    m_animation->PlayAction(r.Character, r.Action);
    m_sound->Play(r.Character, r.Action);
}

int32_t Session::CountDown(int32_t ms)
{
    m_host.tickSlots().CountDownSlots(ms);
    return Advance();
}

void Session::Tick()
{
    Present();
    if (ProblemFinished() && m_animation->ReactionDone) {
        m_animation->ReactionDone = false;
        m_game.PickOperation();
        NewProblem();
    }
}

void Session::ThinkCue()
{
    if (m_sound->IsIdle()) m_sound->Play(anWoolly, akThink);
}

void Session::SetPlayer(int32_t player)
{
    m_game.SetPlayer(player);
    // Shown anew from the file, as another game on these files may have paid meanwhile.
    m_bank.LoadMoney();
}

void Session::NextPlayer()
{
    // Player 1 shares the child's account and picture; the button skips it.
    int32_t next = Player() + 1;
    if (next > 4) next = 0;
    if (next == 1) next = 2;
    SetPlayer(next);
}

int32_t Session::PlayerPicture() const
{
    const int32_t player = Player();
    return player == 0 || player == 1 ? m_game.ChildPicture() : player;
}

bool Session::RenamePlayer(int32_t player, const QString &name)
{
    const bool renamed = m_bank.RenamePlayer(player, name);
    m_bank.LoadMoney();
    return renamed;
}

void Session::ApplySettings()
{
    m_game.LoadOptions();
    m_game.ReloadEngines();
    m_game.PickOperation();
    NewProblem();
    m_bank.LoadMoney();
}
