#include "reporttesting.h"
#include "testregistry.h"

#include "cassreport.h"
#include "nightsreport.h"
#include "summarycassreport.h"

// The cash report, the cash summary and the nights report: the server's
// figures laid out, read by the reports' reply rules.
class CashReportsTest : public ReportTestBase
{
    Q_OBJECT

private slots:
    void cashReport()
    {
        answer("reports/cass", R"({
            "accommodation": {"total": 1500, "entries": [
                {"bill": 42, "fullname": "Иванов", "paid": 1234.5, "payType": "Наличные", "cassir": "Козлова",
                 "stream": {"name": "ОТ-1", "startDate": "01.03.2024", "endDate": "12.03.2024"}},
                {"bill": 123456, "fullname": "Гость", "paid": "300"}],
              "byTypes": [{"name": "Наличные", "paid": 1000}, {"paid": 200}, {"name": "Карта", "paid": 300}]},
            "extraServices": {"total": 70, "entries": [
                {"name": "Стирка", "unit": "кг", "amount": 3.0, "paid": 30},
                {"name": "Утюг", "unit": "сутки", "amount": 2.5, "paid": 20},
                {"name": "Чайник", "unit": "сутки", "amount": "3", "paid": 20}]},
            "paidEducation": []
        })");
        CassReport report;
        build(report, {{"date", "05.03.2024"}});

        QCOMPARE(lastQuery("reports/cass"), QString("payDate=05.03.2024"));
        QVERIFY(isBold(document->document(), "КАССОВЫЙ ОТЧЕТ на 05.03.2024"));
        QCOMPARE(document->margins(), QMarginsF(8, 10, 8, 10));
        QCOMPARE(paragraphs(document->document()),
                 QStringList(
                     {"КАССОВЫЙ ОТЧЕТ на 05.03.2024", "Услуги по проживанию",
                      "Дополнительные услуги", "Образовательные услуги",
                      "Кассир\t\t\t___________________________________ /___________________ /"}));
        QCOMPARE(ReportTestUtil::rules(document->document()).size(), 2);

        const QList<QTextTable *> built = tables();
        QCOMPARE(built.size(), 6);
        QCOMPARE(
            rows(built.at(0)),
            QStringList(
                {"№ п/п | Счет | ФИО | Поток | Оплачено | Способ оплаты | Кассир",
                 "1 | 0042 | Иванов | ОТ-1(01.03.2024 - 12.03.2024) | 1234.50 | Наличные | Козлова",
                 "2 | 123456 | Гость | ( - ) | 0.00 |  | ", "ИТОГО: | 1500.00 | "}));
        // The section's total, not the sum of its pay types; a nameless type is ":".
        QCOMPARE(rows(built.at(1)),
                 QStringList({"Всего по услуге: | Способ оплаты: | ",
                              "Оплачено: 1500.00 руб. | Наличные: | 1000.00 руб.",
                              " | : | 200.00 руб.", " | Карта: | 300.00 руб."}));
        QCOMPARE(rows(built.at(2)),
                 QStringList({"Наименование услуги | Ед. изм. | Кол-во | Оплачено",
                              "Стирка | кг | 3 | 30.00", "Утюг | сутки | 0 | 20.00",
                              "Чайник | сутки | 0 | 20.00", "ИТОГО | 70.00"}));
        QCOMPARE(alignments(built.at(2), 0), QString("<<>>"));
        QCOMPARE(alignments(built.at(2), 1), QString("<<<<"));
        QCOMPARE(alignments(built.at(2), 4), QString(">>"));
        QCOMPARE(
            rows(built.at(4)),
            QStringList({"Наименование услуги | Ед. изм. | Кол-во | Оплачено", "ИТОГО | 0.00"}));
        QCOMPARE(
            rows(built.at(5)),
            QStringList({"Всего по услуге: | Способ оплаты: | ", "Оплачено: 0.00 руб. |  | "}));
    }

    void summaryCompletesTheCategories_data()
    {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("none") << QByteArray("[]")
                              << QStringList({"Слушатели | 0.00", "Гости | 0.00"});
        QTest::newRow("missing") << QByteArray("null")
                                 << QStringList({"Слушатели | 0.00", "Гости | 0.00"});
        QTest::newRow("guests only") << QByteArray(R"([{"name": "Гости", "paid": 500}])")
                                     << QStringList({"Слушатели | 0.00", "Гости | 500.00"});
        QTest::newRow("listeners only") << QByteArray(R"([{"name": "Слушатели", "paid": 1200}])")
                                        << QStringList({"Слушатели | 1200.00", "Гости | 0.00"});
        QTest::newRow("other case") << QByteArray(R"([{"name": "слушатели", "paid": "10"}])")
                                    << QStringList({"Слушатели | 0.00", "слушатели | 0.00"});
        QTest::newRow("two as sent")
            << QByteArray(R"([{"name": "Гости", "paid": 1}, {"name": "Слушатели", "paid": 2}])")
            << QStringList({"Гости | 1.00", "Слушатели | 2.00"});
    }

    void summaryCompletesTheCategories()
    {
        QFETCH(QByteArray, entries);
        QFETCH(QStringList, shown);

        answer("reports/cass/summary",
               R"({"accommodation": {"total": 1700, "entries": )" + entries + "}}");
        SummaryCassReport report;
        build(report, {{"startDate", "01.01.2026"}, {"endDate", "31.12.2026"}});

        QCOMPARE(lastQuery("reports/cass/summary"), QString("start=01.01.2026&end=31.12.2026"));
        QCOMPARE(paragraphs(document->document()).mid(0, 2),
                 QStringList({"КАССОВЫЙ ОТЧЁТ (СВОД)", "(01.01.2026 - 31.12.2026)"}));
        const QStringList expected = QStringList{"Категория проживающих | Оплачено"} + shown
            + QStringList{"ИТОГО: | 1700.00"};
        QCOMPARE(rows(tables().first()), expected);
    }

    void nightsPerFloor_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("indicators");
        QTest::addColumn<QString>("floors");

        QTest::newRow("ascending") << QByteArray(R"({"nights": 8, "persons": 2, "persons2": 1,
                                                     "floors": [{"floor": 1, "nights": 3}, {"floor": 2, "nights": 5}]})")
                                   << "8 2 1"
                                   << "3 5 0 0 0 0 0 0 0";
        QTest::newRow("out of order")
            << QByteArray(R"({"floors": [{"floor": 3, "nights": 7}, {"floor": 1, "nights": 2}]})")
            << "0 0 0"
            << "2 0 7 0 0 0 0 0 0";
        QTest::newRow("twice") << QByteArray(
            R"({"floors": [{"floor": 2, "nights": 1}, {"floor": 2, "nights": 4}]})")
                               << "0 0 0"
                               << "0 5 0 0 0 0 0 0 0";
        QTest::newRow("0 and 10 ahead")
            << QByteArray(R"({"floors": [{"floor": 0, "nights": 9}, {"floor": 10, "nights": 9},
                                                                    {"floor": 4, "nights": 6}, {"floor": 9, "nights": 1}]})")
            << "0 0 0"
            << "0 0 0 6 0 0 0 0 1";
        QTest::newRow("not integers")
            << QByteArray(R"({"nights": 12.5, "persons": "12", "persons2": 12.0,
                                                        "floors": [{"floor": 1, "nights": 12.5}, {"floor": 2, "nights": "12"},
                                                                   {"floor": 3, "nights": 12.0}, {"floor": "4", "nights": 1}]})")
            << "0 0 12"
            << "0 0 12 0 0 0 0 0 0";
        QTest::newRow("not an object") << QByteArray("[1]") << "0 0 0"
                                       << "0 0 0 0 0 0 0 0 0";
    }

    void nightsPerFloor()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, indicators);
        QFETCH(QString, floors);

        answer("reports/nights", reply);
        NightsReport report;
        build(report, {{"startDate", "01.01.2026"}, {"endDate", "31.12.2026"}});

        QCOMPARE(lastQuery("reports/nights"), QString("start=01.01.2026&end=31.12.2026"));
        const QList<QTextTable *> built = tables();
        QCOMPARE(built.size(), 2);
        QStringList values;
        for (int row = 1; row <= 3; ++row)
            values << ReportTestUtil::cellText(built.at(0), row, 1);
        QCOMPARE(values.join(' '), indicators);
        QCOMPARE(built.at(1)->rows(), 10);
        values.clear();
        for (int floor = 1; floor <= 9; ++floor) {
            QCOMPARE(ReportTestUtil::cellText(built.at(1), floor, 0), QString::number(floor));
            values << ReportTestUtil::cellText(built.at(1), floor, 1);
        }
        QCOMPARE(values.join(' '), floors);
    }
};

LOMI_TEST_CLASS(CashReportsTest)

#include "tst_cashreports.moc"
