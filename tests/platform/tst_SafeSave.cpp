#include "platform/TextFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// A save killed at any moment leaves either the old or the new content, never a mix.
class tst_SafeSave : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSaves();
};

void tst_SafeSave::killDuringSaves()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Money.dat"));
    const QStringList a = {QStringLiteral("小明=1,2"), QStringLiteral("弟弟=3,4"),
                           QStringLiteral("爸爸=5,6"), QStringLiteral("姐姐=7,8")};
    QStringList b;
    for (int i = 0; i < 400; ++i)
        b << QStringLiteral("长一点的名字=%1,%2").arg(i).arg(i * 7);
    writeTextLines(path, a);
    QByteArray bytesA, bytesB;
    for (const QString &l : a)
        bytesA += gbkEncode(l) + "\r\n";
    for (const QString &l : b)
        bytesB += gbkEncode(l) + "\r\n";

    QRandomGenerator random(20261208);
    int kills = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                writeTextLines(path, i % 2 ? a : b);
        }
        usleep(random.bounded(200, 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        kills += WIFSIGNALED(status);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray got = f.readAll();
        QVERIFY2(got == bytesA || got == bytesB, qPrintable(QStringLiteral("round %1: %2 bytes")
                                                                .arg(round)
                                                                .arg(got.size())));
    }
    QCOMPARE(kills, 200);
}

QTEST_GUILESS_MAIN(tst_SafeSave)
#include "tst_SafeSave.moc"
