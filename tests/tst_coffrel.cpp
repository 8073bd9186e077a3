#include <QTest>

class CoffrelTest : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(CoffrelTest)
#include "tst_coffrel.moc"
