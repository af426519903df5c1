#pragma once

#include "core/Def.h"

#include <QList>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class Bitmap;
class CoinBank;
class EngineHost;
class Journal;
class Reporter;
class Review;

// The game controller: the four engines on the scene's board and hint, the options of
// Basic.dat, which engine poses the next problem (a missed one coming back, or a drawn one),
// and what the practice journal records of it.
class TMainClass
{
public:
    // The engines paint on board and hint; their settings, Basic.dat and the journal come
    // from host's folders. bank names the players in the journal.
    TMainClass(EngineHost &host, Bitmap &board, Bitmap &hint, const CoinBank &bank,
               Reporter &reporter);
    ~TMainClass();
    TMainClass(const TMainClass &) = delete;
    TMainClass &operator=(const TMainClass &) = delete;

    void LoadOptions();
    // The same from the lines of a Basic.dat already read.
    void LoadOptionsFrom(const QStringList &lines);
    void ReloadEngines();
    // Draws the operation of the next problem among the chosen ones that can pose one.
    void PickOperation();
    // Whether some chosen operation has a problem type it can pose.
    bool CanPose() const;

    // The current engine poses a new problem, or a missed one comes back instead; one still in
    // progress is abandoned and stays unfinished in the journal.
    void NewProblem();
    // Records the current engine's problem as newly posed, for a problem given to it some
    // other way (its SetProblem).
    void ProblemPosed();
    // Checks an answer to the current step and records it.
    bool CheckAnswer(int32_t value);
    // The right answer has settled on the board: the engine asks its next step.
    void NextStep();
    // The hint of the problem under way was in sight this tick.
    void HintSeen();

    void SetPlayer(int32_t player) { CurrentPlayer = player; }
    int32_t GetPlayer() const { return CurrentPlayer; }

    TAlgo &Engine() const { return *m_engine; }
    TAlgo &EngineOf(Op op) const { return *m_engines[static_cast<size_t>(op)]; }
    // Makes the engine of op the current one (for a problem given to it directly).
    void UseEngine(Op op) { m_engine = &EngineOf(op); }
    Op Operation() const;
    const QList<Op> &ChosenOps() const { return m_chosenOps; }
    int32_t ChildPicture() const { return m_childPicture; }
    bool HintOn() const { return m_hintOn; }
    bool ReviewOn() const { return m_reviewOn; }
    Journal *journal() const { return m_journal.get(); }

private:
    // Poses a missed problem that is due instead of a drawn one; false when there is none.
    bool PoseReview();

    EngineHost &m_host;
    const CoinBank &m_bank;
    std::array<std::unique_ptr<TAlgo>, OpCount> m_engines;
    TAlgo *m_engine = nullptr;
    QList<Op> m_chosenOps;
    int32_t CurrentPlayer = 0;
    int32_t m_childPicture = 0;
    bool m_hintOn = true;
    // Missed problems come back (the fifth line of Basic.dat).
    bool m_reviewOn = true;
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
