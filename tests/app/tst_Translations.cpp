// The standard boxes speak Chinese with Qt's own translations installed.
#include "app/Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QtTest>

class tst_Translations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(InstallQtTranslations(*QCoreApplication::instance())); }
    void standardButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("caption");
        QTest::newRow("yes") << int(QMessageBox::Yes) << "是";
        QTest::newRow("no") << int(QMessageBox::No) << "否";
        QTest::newRow("ok") << int(QMessageBox::Ok) << "确定";
    }
    void standardButtons()
    {
        QFETCH(int, button);
        QFETCH(QString, caption);
        const auto which = QMessageBox::StandardButton(button);
        QMessageBox box(QMessageBox::Question, QStringLiteral("询问"),
                        QStringLiteral("结束游戏吗？"), which);
        // Qt keeps a keyboard mnemonic beside the word, as in 是(&Y).
        QVERIFY2(box.button(which)->text().startsWith(caption),
                 qPrintable(box.button(which)->text()));
    }
};

QTEST_MAIN(tst_Translations)
#include "tst_Translations.moc"
