#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QtTest>

class tst_Def : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

QTEST_MAIN(tst_Def)
#include "tst_Def.moc"
