#pragma once

#include "TestGame.h"
#include "progress/ClassSettings.h"

#include <QVariantList>
#include <memory>
#include <optional>

struct ClassTable;

// One machine of the class: a game without a window in a data folder of its own, played on a
// stepped clock whose wall time starts clockErrorMs off the machine's; with settings, its
// Class.ini is there before the game starts.
class ClassSeat
{
public:
    explicit ClassSeat(const std::optional<ClassSettings> &ini = std::nullopt,
                       int64_t clockErrorMs = 0);

    QString journalPath() const;
    // Plays until problems more are finished, every fourth answer wrong, and on until the
    // next problem is on the board. With finishLast false, the last gets one wrong answer
    // and stays on the board.
    void play(int problems, bool finishLast = true);
    // The journal's rows of a table that are over, ordered by id: all but the problem on the
    // board and its answers; id, then the columns the server carries, as text.
    QList<QVariantList> rows(const ClassTable &table) const;

    TestGame game;
    std::unique_ptr<Session> session;
    std::unique_ptr<GameDriver> driver;

private:
    int m_answers = 0;
};
