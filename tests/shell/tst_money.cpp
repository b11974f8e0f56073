#include "testregistry.h"

#include "clock.h"
#include "global.h"
#include "money.h"

#include <QTest>

#include <limits>

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
        // A server's absurd figure reads as no amount, as a missing one does.
        row("largest amount", 999999999.99, "999999999.99",
            "девятьсот девяносто девять миллионов девятьсот девяносто девять тысяч девятьсот "
            "девяносто девять", "99");
        row("beyond the largest", 1000000000.0, "0.00", "ноль", "00");
        row("beyond the largest, negative", -1000000000.0, "0.00", "ноль", "00");
        row("huge", 1e308, "0.00", "ноль", "00");
        row("huge negative", -1e308, "0.00", "ноль", "00");
        row("not a number", std::numeric_limits<double>::quiet_NaN(), "0.00", "ноль", "00");
        row("infinite", std::numeric_limits<double>::infinity(), "0.00", "ноль", "00");
    }

    // Sums of kopecks reach format() directly; even the most negative one prints.
    void extremeKopecks()
    {
        QCOMPARE(Money::format(std::numeric_limits<qint64>::min()), "-92233720368547758.08");
        QCOMPARE(Money::format(std::numeric_limits<qint64>::max()), "92233720368547758.07");
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

    // The whole part of a value in words, as documents spell sums.
    void words_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("feminine");
        QTest::addColumn<QString>("expected");

        auto row = [](const char *name, double v, bool f, const char *text) {
            QTest::newRow(name) << v << f << QString::fromUtf8(text);
        };
        row("0.7", 0.7, false, "ноль");
        row("-0.7", -0.7, false, "ноль");
        row("-5.7", -5.7, false, "минус пять");
        row("123.99", 123.99, false, "сто двадцать три");
        row("1", 1, false, "один");
        row("1 f", 1, true, "одна");
        row("2 f", 2, true, "две");
        row("10", 10, false, "десять");
        row("19", 19, false, "девятнадцать");
        row("40", 40, false, "сорок");
        row("21", 21, false, "двадцать один");
        row("21 f", 21, true, "двадцать одна");
        row("100", 100, false, "сто");
        row("101", 101, false, "сто один");
        row("101 f", 101, true, "сто одна");
        row("200", 200, false, "двести");
        row("342", 342, false, "триста сорок два");
        row("999", 999, false, "девятьсот девяносто девять");
        row("1000", 1000, false, "одна тысяча");
        row("1001", 1001, false, "одна тысяча один");
        row("2000", 2000, false, "две тысячи");
        row("5000", 5000, false, "пять тысяч");
        row("11000", 11000, false, "одиннадцать тысяч");
        row("21000", 21000, false, "двадцать одна тысяча");
        row("22000", 22000, false, "двадцать две тысячи");
        row("111000", 111000, false, "сто одиннадцать тысяч");
        row("112000", 112000, false, "сто двенадцать тысяч");
        row("121000", 121000, false, "сто двадцать одна тысяча");
        row("201000", 201000, false, "двести одна тысяча");
        row("999999", 999999, false,
            "девятьсот девяносто девять тысяч девятьсот девяносто девять");
        // Millions take the form their count asks for, as thousands do.
        row("1e6", 1000000, false, "один миллион");
        row("2e6", 2000000, false, "два миллиона");
        row("4e6", 4000000, false, "четыре миллиона");
        row("5e6", 5000000, false, "пять миллионов");
        row("11e6", 11000000, false, "одиннадцать миллионов");
        row("21e6", 21000000, false, "двадцать один миллион");
        row("1001001", 1001001, false, "один миллион одна тысяча один");
        row("2500000 f", 2500000, true, "два миллиона пятьсот тысяч");
        row("max", 999999999, false,
            "девятьсот девяносто девять миллионов девятьсот девяносто девять тысяч "
            "девятьсот девяносто девять");
        row("-3e6", -3000000, false, "минус три миллиона");
        row("1e9", 1000000000, false, "ОШИБКА ПРЕОБРАЗОВАНИЯ");
        row("-1e9", -1000000000, false, "ОШИБКА ПРЕОБРАЗОВАНИЯ");
        row("huge", 1e300, false, "ОШИБКА ПРЕОБРАЗОВАНИЯ");
        row("nan", std::numeric_limits<double>::quiet_NaN(), false, "ОШИБКА ПРЕОБРАЗОВАНИЯ");
    }

    void words()
    {
        QFETCH(double, value);
        QFETCH(bool, feminine);
        QFETCH(QString, expected);
        QCOMPARE(Global::doubleToString(value, feminine), expected);
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
