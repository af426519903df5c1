// The settings dialog and the About box open in the middle of the screen, every time.
#include "settings/uAbout.h"
#include "settings/uSet.h"
#include "TestSupport.h"

#include <QScreen>
#include <QtTest>
#include <memory>

class tst_DialogPlacement : public QObject
{
    Q_OBJECT
private slots:
    void centredEveryShow_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::newRow("settings") << true;
        QTest::newRow("about") << false;
    }
    void centredEveryShow()
    {
        QFETCH(bool, settings);
        TempDataDir data;
        CapturingReporter reporter;
        QWidget window;
        window.setGeometry(40, 30, 300, 200);
        window.show();
        std::unique_ptr<QDialog> dialog;
        if (settings)
            dialog = std::make_unique<TSetForm>(data.setFolder(), reporter, &window);
        else
            dialog = std::make_unique<TAboutForm>(
                data.folders().sharedPath(QStringLiteral("Help/index.html")), &window);
        const QPoint centre = window.screen()->availableGeometry().center();
        for (int show = 0; show < 2; ++show) {
            dialog->show();
            QCOMPARE(dialog->geometry().center(), centre);
            // Wherever it was left, the next show brings it back.
            dialog->move(5, 7);
            dialog->hide();
        }
        QVERIFY(reporter.errors.isEmpty());
    }
};

QTEST_MAIN(tst_DialogPlacement)
#include "tst_DialogPlacement.moc"
