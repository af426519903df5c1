#include "game/Session.h"

#include "characters/uAnimation.h"
#include "characters/uSound.h"
#include "game/PlayerNames.h"
#include "platform/Clock.h"
#include "progress/ClassLink.h"
#include "progress/Journal.h"
#include "settings/SetFiles.h"

#include <QCoreApplication>

Session::Session(const GameServices &services, const SceneGeometry &geometry)
    : m_services(services), m_host(services.GameClock, services.Folders),
      m_scene(services.Folders, geometry), m_bank(LoadedBank(services.Folders)),
      m_saver(m_bank, services.Messages),
      m_game(m_host, m_scene.BoardPicture(), m_scene.HintTextPicture(), m_bank, services.Messages)
{
    m_animation = std::make_unique<TAnimation>(services.GameClock, m_host.random(),
                                               services.Messages, services.Folders);
    m_sound = std::make_unique<TSound>(services.Sound, services.Folders);
    m_classLink =
        ClassLink::start(services.Folders.setFolder(), services.Messages, services.GameClock);
}

Session::~Session()
{
    // Coins a full disk kept in memory get their last chance.
    if (m_saver.Unsaved()) m_saver.Save();
}

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
    ShowMending();
    const bool hint = m_scene.Present(m_game.Engine(), m_game.CanPose(), m_game.HintOn(),
                                      *m_animation, m_help.Words());
    if (hint) m_game.HintSeen();
}

void Session::ShowMending()
{
    m_game.Engine().SetMending(m_help.BoardAt(m_host.GetTickCount()));
}

void Session::NewProblem()
{
    ++m_posed;
    m_help.NewProblem();
    m_game.NewProblem();
    ShowMending();
}

void Session::Typed()
{
    m_help.Typed();
    ShowMending();
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
    const uint32_t now = m_host.GetTickCount();
    // The step as it was asked: a right answer may move the engine on.
    const StepFacts facts = m_game.Engine().CurrentFacts();
    out.Right = m_game.CheckAnswer(value, m_help.Worked(), m_help.WrongTakesCoin(), &out.Kind);
    bool stepWaits = false;
    if (out.Right) {
        TAlgo &engine = m_game.Engine();
        out.Praised = m_help.Right(now);
        out.Finished = engine.IsFinished();
        if (out.Finished) {
            m_solved += 1;
            out.CoinsPaid = engine.Reward();
            m_bank.AddCoins(player, out.CoinsPaid);
            if (m_classLink) m_classLink->wake();
        } else {
            stepWaits = true;
        }
        out.Reactions = {{{anOldSheep, akYes}, {anWoolly, akYes}, {anWolf, akYes}}};
    } else {
        const StepHelp::WrongOutcome help = m_help.Wrong(value, MistakeWords(out.Kind, facts), now);
        out.HintNow = help.HintNow;
        out.Worked = help.WorkedNow;
        if (help.TakesCoin) {
            out.CoinsTaken = m_bank.TakesFrom(player) ? 1 : 0;
            m_bank.TakeCoins(player, 1);
        }
        if (help.HintNow) m_game.Engine().HintNow();
        out.Reactions = {{{anOldSheep, akNo}, {anWolf, akNo}, {anWoolly, akNo}}};
    }
    ShowMending();
    // A save that fails keeps the coins in memory and never holds the game up; the next
    // answer tries again.
    if (out.Finished || !out.Right || m_saver.Unsaved()) m_saver.Save();
    m_game.thinking().hold(ThinkingTime::Course, true, m_host.GetTickCount());
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
            m_help.NextStep();
            ShowMending();
        }
        c.StepWaiting = false;
        c.NextAt = now;
    }
    if (static_cast<int32_t>(c.NextAt - now) > 0) return static_cast<int32_t>(c.NextAt - now);
    React(c.Reactions[c.Next]);
    if (++c.Next == static_cast<int>(c.Reactions.size())) {
        c.Active = false;
        m_game.thinking().hold(ThinkingTime::Course, false, now);
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
    if (Journal *journal = m_game.journal()) journal->writePending();
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
    m_saver.Reload();
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

QString Session::RenameRefusal(int32_t player, const QString &name)
{
    const QString why = NameRefusal(m_bank, player, name);
    // Renaming reads the file again: coins not saved yet would be lost.
    if (why.isEmpty() && m_saver.Unsaved() && !m_saver.Save())
        return QCoreApplication::translate("Session", "硬币还没能存进文件，现在不能改名字。");
    return why;
}

bool Session::RenamePlayer(int32_t player, const QString &name, QString *refusal)
{
    const QString why = RenameRefusal(player, name);
    if (!why.isEmpty()) {
        if (refusal) *refusal = why;
        return false;
    }
    const bool renamed = m_bank.RenamePlayer(player, name);
    m_bank.LoadMoney();
    return renamed;
}

void Session::PauseThinking(bool paused)
{
    m_game.thinking().hold(ThinkingTime::Dialog, paused, m_host.GetTickCount());
}

void Session::ApplySettings()
{
    m_game.LoadOptions();
    m_game.ReloadEngines();
    m_game.PickOperation();
    NewProblem();
    m_saver.Reload();
    // The problem left for the new settings can go to the class now.
    if (m_classLink) m_classLink->wake();
}
