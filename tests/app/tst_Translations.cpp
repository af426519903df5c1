// The standard boxes speak Chinese with Qt's own translations installed; a translation of
// the game for the desktop's language is taken without a change of code.
#include "app/Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// A French translation of one of the game's texts, as a translator would ship it.
bool writeFrenchTranslation(const QString &folder)
{
    QFile ts(folder + QStringLiteral("/sumsprout_fr.ts"));
    if (!ts.open(QIODevice::WriteOnly)) return false;
    ts.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><!DOCTYPE TS><TS version=\"2.1\" "
             "language=\"fr\" sourcelanguage=\"zh_CN\"><context><name>TMainForm</name><message>"
             "<source>\xe9\x80\x80\xe5\x87\xba</source><translation>Quitter</translation>"
             "</message></context></TS>");
    ts.close();
    QString lrelease = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lrelease");
    if (!QFile::exists(lrelease)) lrelease = QStandardPaths::findExecutable(QStringLiteral("lrelease"));
    if (lrelease.isEmpty()) return false;
    return QProcess::execute(lrelease, {QStringLiteral("-silent"), ts.fileName()}) == 0;
}

} // namespace

class tst_Translations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        QVERIFY(InstallTranslations(*QCoreApplication::instance(), QString()));
    }
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
    void gameTranslationForTheDesktopLanguage_data()
    {
        QTest::addColumn<QLocale>("desktop");
        QTest::addColumn<QString>("exitButton");
        QTest::newRow("French desktop") << QLocale(QLocale::French, QLocale::France) << "Quitter";
        QTest::newRow("Chinese desktop") << QLocale(QLocale::Chinese, QLocale::China) << "退出";
        QTest::newRow("no translation") << QLocale(QLocale::German, QLocale::Germany) << "退出";
    }
    void gameTranslationForTheDesktopLanguage()
    {
        QFETCH(QLocale, desktop);
        QFETCH(QString, exitButton);
        QTemporaryDir folder;
        if (!writeFrenchTranslation(folder.path())) QSKIP("lrelease (qt6-l10n-tools) is missing");
        const QList<QTranslator *> before = qApp->findChildren<QTranslator *>();
        QLocale::setDefault(desktop);
        InstallTranslations(*QCoreApplication::instance(), folder.path());
        QCOMPARE(QCoreApplication::translate("TMainForm", "退出"), exitButton);
        for (QTranslator *t : qApp->findChildren<QTranslator *>()) {
            if (before.contains(t)) continue;
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

QTEST_MAIN(tst_Translations)
#include "tst_Translations.moc"
