#include "testregistry.h"

#include "clock.h"
#include "money.h"

#include <QTest>

class MoneyTest : public QObject
{
    Q_OBJECT

private slots:
    void roundedOnceToKopecks_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("figures");
        QTest::newRow("sum a hair below a whole") << 2019.9999999999998 << "2020.00";
        QTest::newRow("rounds up to the next rouble") << 99.999 << "100.00";
        QTest::newRow("whole") << 1500.0 << "1500.00";
        QTest::newRow("half") << 1500.5 << "1500.50";
        QTest::newRow("five kopecks") << 1234.05 << "1234.05";
        QTest::newRow("negative below a rouble") << -0.5 << "-0.50";
        QTest::newRow("negative") << -1500.30 << "-1500.30";
        QTest::newRow("tiny negative difference") << -0.004 << "0.00";
        QTest::newRow("overpayment") << -150.0 << "-150.00";
        QTest::newRow("millions stay plain") << 1234567.891 << "1234567.89";
    }

    void roundedOnceToKopecks()
    {
        QFETCH(double, amount);
        QFETCH(QString, figures);
        QCOMPARE(Money::format(amount), figures);
    }

    void clockCanBeFixedAndReleased()
    {
        const QDateTime moment(QDate(2024, 2, 29), QTime(23, 45));
        Clock::setNow(moment);
        QCOMPARE(Clock::now(), moment);
        QCOMPARE(Clock::today(), QDate(2024, 2, 29));
        Clock::setNow({});
        QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 5);
    }
};

LOMI_TEST_CLASS(MoneyTest)

#include "tst_money.moc"
