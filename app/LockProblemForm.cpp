#include "app/LockProblemForm.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

LockProblemWords LockProblemText(const LockProblem &p)
{
    LockProblemWords w;
    w.File = QDir::toNativeSeparators(p.File);
    using Kind = LockProblem::Kind;
    switch (p.What) {
    case Kind::NotAFile:
        w.What = TLockProblemForm::tr("存游戏数据的文件夹里，锁文件的位置上有一个同名的文件夹"
                                      "（或者别的不是文件的东西），游戏没法给文件夹上锁。");
        w.Todo = TLockProblemForm::tr("把它删掉或者改个名字，再打开游戏。");
        break;
    case Kind::Unreadable:
        w.What = TLockProblemForm::tr("游戏的锁文件坏了，读不出是谁在用这个文件夹。");
        w.Todo = TLockProblemForm::tr("先确认没有别的游戏开着，再把这个锁文件删掉，"
                                      "然后打开游戏。");
        break;
    case Kind::OtherUser:
        w.What = TLockProblemForm::tr("这个文件夹正被另一个用户（%1）的游戏用着。").arg(p.Owner);
        w.Todo = TLockProblemForm::tr("请等这个用户退出游戏。如果他已经没有在玩，"
                                      "请他或者电脑管理员把这个锁文件删掉。");
        break;
    case Kind::OtherHost:
        w.What = TLockProblemForm::tr(
                     "这个文件夹被另一台电脑（%1）上的游戏锁着。那台电脑上的游戏可能还开着，"
                     "也可能是那台电脑突然断电时留下的锁。")
                     .arg(p.Host);
        w.Todo = TLockProblemForm::tr("如果那台电脑上已经没有在玩这个游戏，点“接管”就能在"
                                      "这台电脑上接着玩；否则请先在那台电脑上退出游戏。");
        break;
    case Kind::NoAnswer:
        w.What = TLockProblemForm::tr("另一个游戏（进程号 %1）正在用这个文件夹，可是它没有回应。")
                     .arg(p.Pid);
        w.Todo = TLockProblemForm::tr("把另一个游戏关掉，再打开游戏。");
        break;
    case Kind::None:
        break;
    }
    return w;
}

TLockProblemForm::TLockProblemForm(const LockProblem &problem, QWidget *parent)
    : QDialog(parent), m_problem(problem)
{
    setWindowTitle(tr("游戏打不开这个文件夹"));
    const LockProblemWords w = LockProblemText(problem);
    Text = new QLabel;
    Text->setWordWrap(true);
    Text->setTextFormat(Qt::RichText);
    Text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QString file = w.File.toHtmlEscaped();
    // Paths break after their slashes, so a long one still wraps.
    file.replace(QLatin1Char('/'), QStringLiteral("/&#8203;"));
    Text->setText(tr("<p style='font-size:20px;'><b>游戏现在打不开</b></p><p>%1</p>"
                     "<p>文件：<br><span style='color:#8a2a1a;'>%2</span></p><p>怎么办：%3</p>")
                      .arg(w.What.toHtmlEscaped(), file, w.Todo.toHtmlEscaped()));
    Text->setMinimumWidth(460);

    TakeOverButton = new QPushButton(tr("接管"));
    QuitButton = new QPushButton(tr("退出"));
    TakeOverButton->setVisible(problem.What == LockProblem::Kind::OtherHost);
    TakeOverButton->setAutoDefault(false);
    QuitButton->setDefault(true);
    connect(TakeOverButton, &QPushButton::clicked, this, &TLockProblemForm::TakeOverButtonClick);
    connect(QuitButton, &QPushButton::clicked, this, &QDialog::reject);

    Confirm = [this](const QString &question) {
        QMessageBox box(QMessageBox::Question, tr("接管"), question, QMessageBox::NoButton, this);
        QPushButton *yes = box.addButton(tr("接管"), QMessageBox::AcceptRole);
        box.addButton(tr("取消"), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() == yes;
    };

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(TakeOverButton);
    buttons->addWidget(QuitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Text);
    layout->addLayout(buttons);
}

void TLockProblemForm::TakeOverButtonClick()
{
    if (Confirm(tr("确定那台电脑（%1）上已经没有在玩这个游戏了吗？\n两边一起玩的话，"
                   "硬币会互相覆盖。")
                    .arg(m_problem.Host)))
        accept();
}

StartLock TakeStartLock(GameLock &lock)
{
    for (;;) {
        const GameLock::Result result = lock.take();
        if (result == GameLock::Result::Taken || result == GameLock::Result::Unavailable)
            return StartLock::Run;
        if (result == GameLock::Result::HeldElsewhere && lock.askHolderToShow())
            return StartLock::BroughtToFront;
        TLockProblemForm form(lock.problem());
        if (form.exec() != QDialog::Accepted) return StartLock::Quit;
        if (lock.takeOver() == GameLock::Result::Taken) return StartLock::Run;
    }
}
