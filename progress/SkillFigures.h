#pragma once

#include "progress/Fluency.h"
#include "progress/SkillRule.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

class Journal;
class SkillModel;

// A player's level in one operation: the hardest type line played with a predicted first-try
// success of LevelSuccess or more.
struct LevelFigure
{
    // Empty when no line is there yet.
    QString Line;
    double Success = 0;
    // Whether the player has played the operation at all.
    bool Played = false;
};

// One entry of "接下来练": what the choice would give next.
struct NextPractice
{
    QString Text;
    QString Note;
};

// The report's figures from the skill model, computed without a window.
struct SkillFigures
{
    static constexpr double LevelSuccess = 0.8;
    static constexpr int LevelAnswers = 3;
    static constexpr size_t NextAgain = 3;
    static constexpr size_t NextLines = 3;
    static constexpr size_t NextItems = 8;

    // The threshold fluency is judged at; 0 when the report does not judge it.
    int64_t FluencyMs = 0;
    std::array<LevelFigure, OpCount> Levels;
    std::vector<NextPractice> Next;
    // The fluency of every fact the player has answered on its own.
    std::map<Fact, Fluency> Facts;
};

SkillFigures ComputeSkillFigures(const SkillModel &model, int32_t player, const QDate &today,
                                 int64_t fluencyMs);
// fluencyMs below 0: the threshold kept in the journal.
SkillFigures LoadSkillFigures(const Journal &journal, int32_t player, const QDateTime &now,
                              int64_t fluencyMs = -1);
// The threshold kept in the journal.
int64_t StoredFluencyMs(const Journal &journal);
