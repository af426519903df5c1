#include "settings/uAbout.h"

#include "support/TestSupport.h"
#include "core/Def.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class tst_uAbout : public QObject
{
    Q_OBJECT
private slots:
    void layout();
    void linkOpensTheShippedGuide();
    void longFolderIsShortened();
    void closes_data();
    void closes();
};

void tst_uAbout::layout()
{
    TempDataDir dir;
    TAboutForm form(dir.folders().sharedPath(QStringLiteral("Help/index.html")));
    QCOMPARE(form.size(), QSize(417, 285));
    QVERIFY(form.Label4->font().underline());
    // Every label fits inside the box.
    for (QLabel *l : {form.Label1, form.Label5, form.Label4})
        QVERIFY2(form.rect().contains(l->geometry()), qPrintable(l->text()));
}

void tst_uAbout::linkOpensTheShippedGuide()
{
    TempDataDir dir;
    TAboutForm form(dir.folders().sharedPath(QStringLiteral("Help/index.html")));
    QList<QUrl> opened;
    form.OpenUrl = [&](const QUrl &url) {
        opened << url;
        return true;
    };
    form.show();
    const QUrl expected = QUrl::fromLocalFile(dir.path("Help/index.html"));
    // The temporary folder's random name may be wide enough to be shortened in the label.
    QCOMPARE(form.Label4->toolTip(), expected.toString());
    const QString shown = form.Label4->text();
    QVERIFY2(shown == QStringLiteral("网址：    ") + expected.toString() ||
                 (shown.startsWith(QStringLiteral("网址：    file://")) &&
                  shown.endsWith(QStringLiteral("/index.html")) && shown.contains(QChar(0x2026))),
             qPrintable(shown));

    QTest::mouseClick(form.Label4, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{expected});
    QVERIFY(form.isVisible());
    QVERIFY(opened.first().isLocalFile());
    const QByteArray page = dir.readBytes("Help/index.html");
    QVERIFY(page.contains("<html"));
    QVERIFY(page.contains(QStringLiteral("100 枚银币").toUtf8()));
}

void tst_uAbout::longFolderIsShortened()
{
    TempDataDir dir;
    const DataFolders folders = portableFolders(dir.path(QString(120, QLatin1Char('d'))));
    TAboutForm form(folders.sharedPath(QStringLiteral("Help/index.html")));
    form.show();
    QVERIFY(form.Label4->geometry().right() < form.width());
    QVERIFY(form.Label4->text().contains(QStringLiteral("…")));
    QCOMPARE(form.Label4->toolTip(), form.HelpUrl().toString());
}

void tst_uAbout::closes_data()
{
    QTest::addColumn<bool>("escape");
    QTest::addColumn<bool>("onButton");
    QTest::newRow("close button") << false << true;
    QTest::newRow("Escape on the button") << true << true;
    QTest::newRow("Escape on the form") << true << false;
}

void tst_uAbout::closes()
{
    QFETCH(bool, escape);
    QFETCH(bool, onButton);
    TAboutForm form(QStringLiteral("Help/index.html"));
    form.show();
    QWidget *target = onButton ? static_cast<QWidget *>(form.Button1) : &form;
    target->setFocus();
    if (escape)
        QTest::keyClick(target, Qt::Key_Escape);
    else
        QTest::mouseClick(form.Button1, Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(tst_uAbout)
#include "tst_uAbout.moc"
