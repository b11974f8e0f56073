#include "testregistry.h"

#include "clock.h"
#include "money.h"

#include <QTest>

class MoneyTest : public QObject
{
    Q_OBJECT

private slots:
    // The figures, the words and the kopecks of one amount come from one
    // rounding: a sum a hair below a whole rouble must not read "2020.00"
    // in figures and "две тысячи девятнадцать ... 00" in words.
    void roundedOnceToKopecks_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("kopecks");
        auto row = [](const char *name, double amount, const char *figures, const char *words,
                      const char *kopecks) {
            QTest::newRow(name) << amount << QString::fromUtf8(figures) << QString::fromUtf8(words)
                                << QString::fromUtf8(kopecks);
        };
        row("sum a hair below a whole", 2019.9999999999998, "2020.00", "две тысячи двадцать", "00");
        row("rounds up to the next rouble", 99.999, "100.00", "сто", "00");
        row("whole", 1500.0, "1500.00", "одна тысяча пятьсот", "00");
        row("half", 1500.5, "1500.50", "одна тысяча пятьсот", "50");
        row("five kopecks", 1234.05, "1234.05", "одна тысяча двести тридцать четыре", "05");
        row("negative below a rouble", -0.5, "-0.50", "минус ноль", "50");
        row("negative", -1500.30, "-1500.30", "минус одна тысяча пятьсот", "30");
        row("tiny negative difference", -0.004, "0.00", "ноль", "00");
        row("overpayment", -150.0, "-150.00", "минус сто пятьдесят", "00");
        row("millions stay plain", 1234567.891, "1234567.89",
            "один миллион двести тридцать четыре тысячи пятьсот шестьдесят семь", "89");
    }

    void roundedOnceToKopecks()
    {
        QFETCH(double, amount);
        QFETCH(QString, figures);
        QFETCH(QString, words);
        QFETCH(QString, kopecks);
        QCOMPARE(Money::format(amount), figures);
        const Money::Spelled spelled = Money::spell(amount);
        QCOMPARE(spelled.figures, figures);
        QCOMPARE(spelled.words, words);
        QCOMPARE(spelled.kopecks, kopecks);
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
