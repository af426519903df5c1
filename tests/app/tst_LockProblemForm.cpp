// The window a start shows for a lock it cannot clear, and taking a lock over from there.
#include "app/LockProblemForm.h"

#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QtTest>

class tst_LockProblemForm : public QObject
{
    Q_OBJECT
private slots:
    void takesOverOnlyWhenConfirmed_data();
    void takesOverOnlyWhenConfirmed();
};

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
    data.writeBytes(QStringLiteral("Set/Sumsprout.lock"),
                    "4242\nsumsprout\nclassroom-7\n" +
                        QByteArray(QSysInfo::machineUniqueId()).replace('0', '1') + "1\n");
    GameLock lock(data.path(QStringLiteral("Set/Sumsprout.lock")));
    // The person takes over and answers the question; not confirmed, they then quit.
    QString asked;
    std::function<void()> answer = [&] {
        auto *form = qobject_cast<TLockProblemForm *>(QApplication::activeModalWidget());
        if (form && asked.isEmpty()) {
            // It says which computer holds which file.
            QVERIFY(form->Text->text().contains(QStringLiteral("classroom-7")) &&
                    form->Text->text().contains(QStringLiteral("Sumsprout.lock")));
            form->Confirm = [&](const QString &question) {
                asked = question;
                return confirmed;
            };
            form->TakeOverButton->click();
        } else if (form) {
            form->QuitButton->click();
            return;
        }
        if (!confirmed || !form) QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    QCOMPARE(TakeStartLock(lock), confirmed ? StartLock::Run : StartLock::Quit);
    QVERIFY(asked.contains(QStringLiteral("classroom-7")));
    QCOMPARE(lock.isHeld(), confirmed);
}

QTEST_MAIN(tst_LockProblemForm)
#include "tst_LockProblemForm.moc"
