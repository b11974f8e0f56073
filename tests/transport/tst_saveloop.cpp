#include "testregistry.h"

#include "saveloop.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// After a creating write that got no answer, the list tells whether the
// server stored the record: a wrong "yes" loses what was typed, a wrong
// "no" makes a second record on the next OK.
class SaveLoopTest : public QObject
{
    Q_OBJECT

private slots:
    void findsTheStoredRecord_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("row");  // the list row with id 7
        QTest::addColumn<bool>("known");      // id 7 was in the list before the write
        QTest::addColumn<bool>("found");
        const QByteArray payment = R"({"summ": 1500.5, "payDate": "2026-12-07T00:00:00.000",
                                       "payTypeId": 2, "personId": 700})";
        QTest::newRow("new row as sent") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payDate": "2026-12-07T00:00:00.000",
                              "payType": {"id": 2, "name": "Наличные"}, "personId": 700})")
            << false << true;
        QTest::newRow("the same row, known before") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payDate": "2026-12-07T00:00:00.000",
                              "payTypeId": 2, "personId": 700})")
            << true << false;
        QTest::newRow("another person's") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payTypeId": 2, "personId": 701})")
            << false << false;
        QTest::newRow("another amount") << payment
            << QByteArray(R"({"id": 7, "summ": 1500, "payTypeId": 2, "personId": 700})")
            << false << false;
        QTest::newRow("another pay type by its object") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payType": {"id": 3}, "personId": 700})")
            << false << false;
        QTest::newRow("date-time written back in a form of its own") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payDate": "2026-12-07T00:00:00",
                              "personId": 700})")
            << false << true;
        QTest::newRow("another day") << payment
            << QByteArray(R"({"id": 7, "summ": 1500.5, "payDate": "2026-12-08T00:00:00",
                              "personId": 700})")
            << false << false;
        QTest::newRow("nested record") << QByteArray(R"({"value": {"name": "Б", "inn": "1"}})")
            << QByteArray(R"({"id": 7, "value": {"name": "Б", "inn": "2"}})") << false << false;
    }

    void findsTheStoredRecord()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, row);
        QFETCH(bool, known);
        QFETCH(bool, found);
        const QJsonObject record = QJsonDocument::fromJson(row).object();
        QVERIFY(!record.isEmpty());
        const QJsonArray rows{QJsonObject{{"id", 3}}, record};
        const QSet<int> before = known ? QSet<int>{3, 7} : QSet<int>{3};
        const QList<QJsonObject> stored =
            SaveLoop::findStored(rows, before, QJsonDocument::fromJson(sent).object());
        QCOMPARE(stored.value(0).value("id").toInt(), found ? 7 : 0);
        QCOMPARE(stored.size(), found ? 1 : 0);
    }
};

LOMI_TEST_CLASS(SaveLoopTest)

#include "tst_saveloop.moc"
