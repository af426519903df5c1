// The window a start shows for a lock it cannot clear, and taking a lock over from there.
#include "app/LockProblemForm.h"

#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(LockProblem::Kind)

class tst_LockProblemForm : public QObject
{
    Q_OBJECT
private slots:
    void saysWhatWhichAndWhatToDo_data();
    void saysWhatWhichAndWhatToDo();
    void takesOverOnlyWhenConfirmed_data();
    void takesOverOnlyWhenConfirmed();
};

void tst_LockProblemForm::saysWhatWhichAndWhatToDo_data()
{
    QTest::addColumn<LockProblem::Kind>("kind");
    QTest::addColumn<bool>("takeOver");
    QTest::newRow("a folder in the way") << LockProblem::Kind::NotAFile << false;
    QTest::newRow("an unreadable lock") << LockProblem::Kind::Unreadable << false;
    QTest::newRow("another user's game") << LockProblem::Kind::OtherUser << false;
    QTest::newRow("another computer's game") << LockProblem::Kind::OtherHost << true;
    QTest::newRow("a game that does not answer") << LockProblem::Kind::NoAnswer << false;
}

void tst_LockProblemForm::saysWhatWhichAndWhatToDo()
{
    QFETCH(LockProblem::Kind, kind);
    QFETCH(bool, takeOver);
    LockProblem p{kind, QStringLiteral("/home/a/Sumsprout/Set/Sumsprout.lock"),
                  QStringLiteral("jia"), QStringLiteral("classroom-7"), 4242};
    const LockProblemWords w = LockProblemText(p);
    QVERIFY(!w.What.isEmpty() && !w.Todo.isEmpty());
    QCOMPARE(w.File, p.File);
    // Who or what holds it, where it is known.
    if (kind == LockProblem::Kind::OtherUser) QVERIFY(w.What.contains(p.Owner));
    if (kind == LockProblem::Kind::OtherHost) QVERIFY(w.What.contains(p.Host));
    if (kind == LockProblem::Kind::NoAnswer) QVERIFY(w.What.contains(QString::number(p.Pid)));
    TLockProblemForm form(p);
    form.show();
    QVERIFY(form.Text->text().contains(QStringLiteral("Sumsprout.lock")));
    QCOMPARE(form.TakeOverButton->isVisible(), takeOver);
    QVERIFY(form.QuitButton->isVisible());
}

void tst_LockProblemForm::takesOverOnlyWhenConfirmed_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirmed") << true;
    QTest::newRow("not confirmed") << false;
}

void tst_LockProblemForm::takesOverOnlyWhenConfirmed()
{
    QFETCH(bool, confirmed);
    TempDataDir data;
    const QString path = data.path(QStringLiteral("Set/Sumsprout.lock"));
    data.writeBytes(QStringLiteral("Set/Sumsprout.lock"),
                    "4242\nsumsprout\nclassroom-7\n" +
                        QByteArray(QSysInfo::machineUniqueId()).replace('0', '1') + "1\n");
    GameLock lock(path);
    QString asked;
    // The person answers the window: take over, and then yes or no; then quit.
    std::function<void()> answer = [&] {
        auto *form = qobject_cast<TLockProblemForm *>(QApplication::activeModalWidget());
        if (!form) {
            QTimer::singleShot(10, answer);
            return;
        }
        if (!asked.isEmpty()) {
            form->QuitButton->click();
            return;
        }
        form->Confirm = [&](const QString &question) {
            asked = question;
            return confirmed;
        };
        form->TakeOverButton->click();
        if (!confirmed) QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    QCOMPARE(TakeStartLock(lock), confirmed ? StartLock::Run : StartLock::Quit);
    QVERIFY(asked.contains(QStringLiteral("classroom-7")));
    QCOMPARE(lock.isHeld(), confirmed);
}

QTEST_MAIN(tst_LockProblemForm)
#include "tst_LockProblemForm.moc"
