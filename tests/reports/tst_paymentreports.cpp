#include "reporttesting.h"
#include "testregistry.h"

#include "contractpaymentsreport.h"
#include "paideducationpaymentsreport.h"
#include "paymentsreport.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

// The three payment statements: what they print of the server's rows and
// what they add up themselves.
class PaymentReportsTest : public ReportTestBase
{
    Q_OBJECT

private slots:
    void paymentStatementAndItsSummary()
    {
        // Row 1 is settled, though 0.1 + 0.2 is a hair above 0.3; row 2's
        // "paid" is not its payments'; row 3 has neither a name nor a bill.
        answer("reports/payments", R"([
            {"billNum": 7, "fullname": "Иванов", "total": 0.3, "paid": 0.30000000000000004,
             "accommodation": [
                {"number": "101", "inDate": "2026-06-01T12:00:00.000", "outDate": "2026-06-03T12:00:00.000",
                 "rateCost": 50, "rateHourCost": 2.5},
                {"number": "102", "inDate": "2026-06-03T12:00:00.000", "rateCost": 0.05}],
             "payments": [{"summ": 0.1, "name": "Наличные", "payDate": "2026-06-01T12:30:00.000"},
                          {"summ": 0.2, "name": "Карта", "payDate": "2026-06-02T00:00:00.000"}]},
            {"billNum": 1234567, "fullname": "Петров", "payer": "ООО Альфа", "total": 2000, "paid": 500,
             "payments": [{"summ": 2000, "name": "Контракт", "payDate": "2026-06-10T00:00:00.000"}]},
            {"total": 150, "payments": [{"summ": 145}, {"summ": 5, "name": "наличные"}]}
        ])");
        PaymentsReport report;
        build(report,
              {{"streamId", 3},
               {"start", "01.06.2026"},
               {"end", "30.06.2026"},
               {"listeners", true},
               {"guests", false},
               {"debtOnly", true}});

        QCOMPARE(lastQuery("reports/payments"),
                 QString("streamId=3&start=01.06.2026&end=30.06.2026&listeners=true&guests=false&"
                         "debtOnly=true"));
        QVERIFY(isBold(document->document(), "РАСЧЁТНАЯ ВЕДОМОСТЬ"));
        QCOMPARE(document->pageOrientation(), QPageLayout::Landscape);
        QCOMPARE(document->margins(), QMarginsF(10, 10, 10, 10));

        const QList<QTextTable *> built = tables();
        QCOMPARE(built.size(), 2);
        QCOMPARE(rows(built.at(0)),
                 QStringList(
                     {"№ п/п | Счет | Ф И О | Плательщик | Номер | Период проживания | Тариф | "
                      "Начислено | Оплачено | Остаток | Дата оплаты | Способ оплаты / Контракт",
                      "1 | 0007 | Иванов |  | 101\n102 | 01.06.2026 12:00 - 03.06.2026 12:00\n"
                      "03.06.2026 12:00 -  | 50.00/2.50\n0.05/0.00 | 0.30 | 0.10\n0.20 | 0.00 | "
                      "01.06.2026\n02.06.2026 | Наличные\nКарта",
                      "2 | 1234567 | Петров | ООО Альфа |  |  |  | 2000.00 | 2000.00 | 1500.00 | "
                      "10.06.2026 | Контракт",
                      "3 | 0000 |  |  |  |  |  | 150.00 | 145.00\n5.00 | 150.00 | \n | \nналичные",
                      "ИТОГО: | 2150.30 | 2150.30 | 0.00 | "}));
        QCOMPARE(alignments(built.at(0), 0), QString("^^<<^<<>>>^<"));
        QCOMPARE(alignments(built.at(0), 1), QString("^<<<^<<>>>^<"));

        // Names by code unit, the nameless first; lines past the third stand
        // below the signatures.
        const QString signature
            = " | Старший администратор | _____________________ | А.А.Администратор";
        QCOMPARE(
            rows(built.at(1)),
            QStringList(
                {"Всего по ведомости, в т.ч. |  | по контракту | иные платежи |  | Способ оплаты | "
                 " |  | ",
                 "Начислено:  | 2150.30 руб. |  | 2000.00 руб. | 150.30 руб. |  | : | 145.00 руб."
                     + signature,
                 "Оплачено:  | 2150.30 руб. |  | 2000.00 руб. | 150.30 руб. |  | Карта: | 0.20 руб."
                     + signature,
                 "Остаток:  | 0.00 руб. |  | 0.00 руб. | 0.00 руб. |  | Контракт: | 2000.00 руб."
                     + signature,
                 " |  |  |  |  |  | Наличные: | 0.10 руб. |  |  | ",
                 " |  |  |  |  |  | наличные: | 5.00 руб. |  |  | "}));
        QCOMPARE(alignments(built.at(1), 1), QString("<><<<<<<<<<"));
    }

    // A statement long enough for its table to be written in pieces prints
    // like one table: every row once and in order, the header at the top of
    // each page, the total after the last row, the summary's sums.
    void longStatementPrintsLikeOneTable()
    {
        constexpr int count = 700;
        QJsonArray reply;
        for (int i = 0; i < count; ++i) {
            // Every fifth row has three payments, so that the rows differ in height.
            QJsonArray payments;
            for (int k = 1; k <= (i % 5 == 0 ? 3 : 1); ++k)
                payments.append(QJsonObject{{"summ", 10 * k}, {"name", "Наличные"},
                                            {"payDate", "2026-06-02T00:00:00.000"}});
            reply.append(QJsonObject{
                {"billNum", i + 1},
                {"fullname", QString("Персона%1 Иванович").arg(i)},
                {"total", 100 + i},
                {"paid", i % 5 == 0 ? 60 : 10},
                {"accommodation",
                 QJsonArray{QJsonObject{{"number", "101"},
                                        {"inDate", "2026-06-01T12:00:00.000"},
                                        {"outDate", "2026-06-03T12:00:00.000"},
                                        {"rateCost", 50},
                                        {"rateHourCost", 2.5}}}},
                {"payments", payments}});
        }
        answer("reports/payments", QJsonDocument(reply).toJson(QJsonDocument::Compact));
        PaymentsReport report;
        build(report, {{"streamId", -1}, {"start", "01.06.2026"}, {"end", "30.06.2026"},
                       {"listeners", true}, {"guests", true}, {"debtOnly", false}});
        // 100 + 101 + ... + 799; 140 rows paid 60, the others 10.
        const QString charged = "314650.00";
        const QString paid = "14000.00";
        const QString rest = "300650.00";

        const QList<QTextTable *> built = tables();
        QVERIFY2(built.size() >= 3, qPrintable(QString::number(built.size())));
        const QString header = rows(built.first()).first();
        QStringList body;
        for (QTextTable *piece : built.mid(0, built.size() - 1)) {
            const QStringList pieceRows = rows(piece);
            QCOMPARE(pieceRows.first(), header);
            body << pieceRows.mid(1);
        }
        QCOMPARE(body.size(), count + 1);
        QCOMPARE(ReportTestUtil::firstUnfilledPage(built.mid(0, built.size() - 1), 1), -1);
        for (int i = 0; i < count; ++i) {
            QVERIFY2(body.at(i).startsWith(
                             QString("%1 | %2 | Персона%3 Иванович | ")
                                     .arg(i + 1)
                                     .arg(i + 1, 4, 10, QLatin1Char('0'))
                                     .arg(i)),
                     qPrintable(body.at(i)));
        }
        QCOMPARE(body.last(), QString("ИТОГО: | %1 | %2 | %3 | ").arg(charged, paid, rest));

        QTemporaryDir dir;
        const QString path = dir.filePath("statement.pdf");
        QVERIFY(document->exportToFile(path));
        const QStringList pages = ReportTestUtil::pdfPages(path);
        QCOMPARE(pages.size(), document->numberOfPages());
        const QRegularExpression person("Персона(\\d+) ");
        QList<int> printed;
        for (int page = 0; page < pages.size(); ++page) {
            const QString text = pages.at(page);
            const qsizetype first = text.indexOf(person);
            if (first < 0)
                continue;
            const qsizetype top = text.indexOf("Ф И О");
            QVERIFY2(top >= 0 && top < first, qPrintable(QString::number(page + 1)));
            QCOMPARE(text.count("Ф И О"), 1);
            for (auto it = person.globalMatch(text); it.hasNext();)
                printed << it.next().captured(1).toInt();
        }
        QCOMPARE(printed.size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(printed.at(i), i);
        const QString all = pages.join('\n');
        QCOMPARE(all.count("ИТОГО:"), 1);
        QVERIFY(all.indexOf("ИТОГО:") > all.indexOf(QString("Персона%1 ").arg(count - 1)));
        QVERIFY(QRegularExpression("ИТОГО:\\s+" + charged + "\\s+" + paid + "\\s+" + rest)
                        .match(all)
                        .hasMatch());
        QVERIFY2(all.contains(QString(charged + " руб.")), qPrintable(pages.last()));
    }

    void contractStatement()
    {
        answer("reports/payments/contract", R"([
            {"name": "Контракт А", "totalCost": 3000, "totalPaid": 3150, "entries": [
                {"bill": 12, "fullname": "Иванов", "totalCost": 1000, "totalPaid": 1150,
                 "accommodation": [{"room": {"number": "101"}, "rate": {"cost": 500, "hourCost": 20},
                                    "inDate": "2026-06-01T12:00:00.000", "outDate": "2026-06-03T12:00:00.000",
                                    "cost": 1000}],
                 "payments": [{"summ": 1000, "payDate": "2026-06-01T00:00:00.000", "name": "Контракт А"},
                              {"summ": 150, "payDate": "2026-06-02T00:00:00.000", "name": "Контракт А"}]},
                {"bill": 13, "fullname": "Петров", "totalCost": 0.3, "totalPaid": 0.30000000000000004}]},
            {"name": "Контракт Б", "totalCost": 0, "totalPaid": 0, "entries": []},
            {"name": "Контракт В", "totalCost": 500, "entries": [{"bill": 14, "fullname": "Сидоров", "totalCost": 500}]}
        ])");
        ContractPaymentsReport report;
        build(report, {{"startDate", "01.06.2026"}, {"endDate", "30.06.2026"}, {"payerId", -1}});

        QCOMPARE(lastQuery("reports/payments/contract"),
                 QString("start=01.06.2026&end=30.06.2026&payerId=-1"));
        QCOMPARE(paragraphs(document->document()),
                 QStringList({"РАСЧЕТНАЯ ВЕДОМОСТЬ", "(контракт)"}));
        QTextTable *table = tables().first();
        // Numbered across payers; subtotals are the server's, "ИТОГО:" adds them.
        QCOMPARE(
            rows(table),
            QStringList(
                {"№ п/п | Счёт | Ф И О | Номер | Период проживания | Тариф | Начислено | "
                 "Оплачено | Остаток | Дата оплаты | Способ оплаты",
                 "Контракт А",
                 "1 | 12 | Иванов | 101 | 01.06.2026 12:00 - 03.06.2026 12:00 | 500.00/20.00 | "
                 "1000.00 | 1000.00\n150.00 | -150.00 | 01.06.2026\n02.06.2026 | Контракт "
                 "А\nКонтракт А",
                 "2 | 13 | Петров |  |  |  |  |  | 0.00 |  | ", " | 3000.00 | 3150.00 | -150.00 | ",
                 "Контракт Б", " | 0.00 | 0.00 | 0.00 | ", "Контракт В",
                 "3 | 14 | Сидоров |  |  |  |  |  | 500.00 |  | ", " | 500.00 | 0.00 | 500.00 | ",
                 "ИТОГО: | 3500.00 | 3150.00 | 350.00 | "}));
        QCOMPARE(alignments(table, 0), QString("^^<<^>>>>^<"));
        QCOMPARE(alignments(table, 2), QString("^^<^^^>>>^<"));
        QCOMPARE(table->cellAt(4, 0).columnSpan(), 6);
        QCOMPARE(table->cellAt(4, 9).columnSpan(), 2);
    }

    void paidEducationStatement()
    {
        answer("reports/payments/paid_education", R"([
            {"number": 118, "fullname": "Иванов", "curriculum": "Пожарная безопасность",
             "stream": {"name": "А", "startDate": "2025-09-01T00:00:00.000", "endDate": "2026-06-30T00:00:00.000"},
             "startDate": "2026-06-01T00:00:00.000", "endDate": "2026-06-30T00:00:00.000", "paid": 100,
             "payDate": "2026-06-01T10:00:00.000", "cassir": "Козлова"},
            {"number": 5, "fullname": "Петров", "paid": 250.5},
            {"number": 9.5, "fullname": "Сидоров"}
        ])");
        server().addRecord("users", {{"name", "Белова"}, {"position", "Бухгалтер"}, {"rv0", "2"}});
        PaidEducationPaymentsReport report;
        build(report,
              {{"startDate", "15.06.2026"}, {"endDate", "31.12.2026"}, {"curriculumId", 2}});

        QCOMPARE(lastQuery("reports/payments/paid_education"),
                 QString("start=15.06.2026&end=31.12.2026&curriculumId=2"));
        QCOMPARE(paragraphs(document->document()).mid(0, 2),
                 QStringList({"РАСЧЕТНАЯ ВЕДОМОСТЬ", "(образовательные услуги)"}));
        const QList<QTextTable *> built = tables();
        QCOMPARE(
            rows(built.at(0)).mid(1),
            QStringList({"1 | 118 | Иванов | А | 01.09.2025 - 30.06.2026 | Пожарная безопасность | "
                         "01.06.2026 - 30.06.2026 | 100.00 | 01.06.2026 | Козлова",
                         "2 | 5 | Петров |  |  -  |  |  -  | 250.50 |  | ",
                         "3 | 0 | Сидоров |  |  -  |  |  -  | 0.00 |  | "}));
        QCOMPARE(alignments(built.at(0), 1), QString("^^<<<^>^<"));

        QTextTable *summary = built.at(1);
        QCOMPARE(ReportTestUtil::cellText(summary, 0, 0), QString("Оплачено: 350.50 руб."));
        const QList<QTextFrame *> nested = summary->childFrames();
        QCOMPARE(nested.size(), 1);
        QCOMPARE(rows(qobject_cast<QTextTable *>(nested.first())),
                 QStringList({"Директор | _____________________ | Орлова Т. В.",
                              "Бухгалтер | _____________________ | Белова"}));

        // Signers that are not a list leave the right half of the summary empty.
        answer("users/rv0", "{}");
        build(report, {});
        QVERIFY(tables().at(1)->childFrames().isEmpty());
        QCOMPARE(ReportTestUtil::cellText(tables().at(1), 0, 0), QString("Оплачено: 350.50 руб."));
    }
};

LOMI_TEST_CLASS(PaymentReportsTest)

#include "tst_paymentreports.moc"
