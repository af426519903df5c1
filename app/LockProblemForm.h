#pragma once

#include "platform/GameLock.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

// What the window says about a lock the game cannot clear: what is wrong, which file, and
// what to do about it.
struct LockProblemWords
{
    QString What;
    QString File;
    QString Todo;
};
LockProblemWords LockProblemText(const LockProblem &problem);

// Shown at the start instead of the game when its folder's lock is in the way. A lock left on
// another computer may be taken over here, once the person has confirmed that no game runs
// there.
class TLockProblemForm : public QDialog
{
    Q_OBJECT

public:
    // Accepted when the person chose to take the lock over (and confirmed it).
    explicit TLockProblemForm(const LockProblem &problem, QWidget *parent = nullptr);

    QLabel *Text;
    QPushButton *TakeOverButton; // only for a lock from another computer
    QPushButton *QuitButton;

    // Asked before taking over; tests answer it.
    std::function<bool(const QString &question)> Confirm;

private:
    void TakeOverButtonClick();
    LockProblem m_problem;
};

// What the start does about the folder's lock.
enum class StartLock { Run, BroughtToFront, Quit };
// Takes the lock of the folder at the start. A running game of this user is asked to come to
// the front (and this start ends); a lock the game cannot clear is explained in the window,
// from which a lock of another computer may be taken over.
StartLock TakeStartLock(GameLock &lock);
