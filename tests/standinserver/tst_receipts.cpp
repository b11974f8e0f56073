#include "standinfixture.h"
#include "testregistry.h"

// Receipts: numbering, prices, edits that keep the hand-back, returns and the
// hand-back of a lent item.
class StandInReceiptsTest : public StandInTestBase
{
    Q_OBJECT

    static QJsonObject receipt()
    {
        return {{"personId", 1}, {"extraServiceId", 1}, {"amount", 3}, {"payTypeId", 1},
                {"cassirId", 1}, {"startDate", "2020-01-01T10:00:00.000"},
                {"endDate", "2020-01-04T10:00:00.000"}, {"payDate", "2020-01-01T00:00:00.000"},
                {"propertyId", 1}, {"received", false}};
    }

    void initTest() override
    {
        server->addRecord("pay_type", {{"id", 9}, {"name", "Возврат"}, {"attribute", -1}});
    }

private slots:
    void numberRule_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QJsonValue>("sent");
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<int>("nextGlobal");
        const QJsonValue none = QJsonValue(QJsonValue::Undefined);
        const QJsonValue null = QJsonValue(QJsonValue::Null);
        for (const char *collection : {"receipts", "paid_education_receipts"}) {
            const QByteArray name(collection);
            QTest::newRow(name + ", absent") << collection << none << null << 10;
            QTest::newRow(name + ", zero") << collection << QJsonValue(0) << QJsonValue(11) << 11;
            QTest::newRow(name + ", typed") << collection << QJsonValue(15) << QJsonValue(15) << 10;
        }
    }

    void numberRule()
    {
        QFETCH(QString, collection);
        QFETCH(QJsonValue, sent);
        QFETCH(QJsonValue, stored);
        QFETCH(int, nextGlobal);
        QJsonObject body = receipt();
        body.insert("curriculumId", 2);
        if (!sent.isUndefined())
            body.insert("number", sent);
        const HttpResult created = client->post(collection, json(body));
        QCOMPARE(created.status, 201);
        QCOMPARE(created.json().object().value("number"), stored);
        QCOMPARE(server->global("ReceiptNumber"), QJsonValue(nextGlobal));
    }

    void pricesComeFromTheServiceOrTheCurriculum()
    {
        QJsonObject body = receipt();
        QCOMPARE(client->post("receipts", json(body)).json().object().value("summ").toDouble(),
                 3 * 10.0);
        body.insert("curriculumId", 2);
        QCOMPARE(client->post("paid_education_receipts", json(body)).json().object()
                     .value("summ").toDouble(), 15000.0);
        body.remove("extraServiceId");
        expectRefusal("POST", "receipts", json(body), 422);
    }

    void handBackSurvivesAnEditAndReturnCopiesTheReceipt()
    {
        server->setNow(QDateTime(QDate(2020, 2, 3), QTime(15, 0)));
        const int id = client->post("receipts", json(receipt())).json().object().value("id").toInt();
        const QString path = QStringLiteral("receipts/%1").arg(id);

        const HttpResult handedBack = client->post(
            path + "/property", json({{"actNumber", 7}, {"received", true},
                                      {"receiveDate", "2020-01-04T11:30:00.000"},
                                      {"receiverId", 2}, {"receiptId", id}}));
        QCOMPARE(handedBack.status, 200);
        // The receipt dialog's PUT says "received": false and nothing of the act.
        QCOMPARE(client->put(path, json(receipt())).status, 200);
        const QJsonObject read = client->get(path).json().object();
        QCOMPARE(read.value("received"), QJsonValue(true));
        QCOMPARE(read.value("actNumber"), QJsonValue(7));
        QCOMPARE(read.value("receiveDate"), QJsonValue("2020-01-04T11:30:00.000"));
        QCOMPARE(read.value("receiver").toObject().value("name"), QJsonValue("Кассир"));
        QCOMPARE(read.value("person").toObject().value("fullname"), QJsonValue("Иванов Иван Иванович"));
        QCOMPARE(read.value("property").toObject().value("number"), QJsonValue("1"));

        const HttpResult returned = client->send("POST", path + "/return");
        QCOMPARE(returned.status, 201);
        const QJsonArray rows = client->get("persons/1/receipts").json().array();
        QCOMPARE(rows.size(), 2);
        const QJsonObject copy = rows.at(1).toObject();
        QCOMPARE(copy.value("payType").toObject().value("attribute"), QJsonValue(-1));
        QCOMPARE(copy.value("summ").toDouble(), -30.0);
        QCOMPARE(copy.value("payDate"), QJsonValue("2020-02-03T00:00:00.000"));
        QCOMPARE(rows.at(0).toObject().value("summ").toDouble(), 30.0);

        // Nothing was lent on a receipt without an item.
        QJsonObject plain = receipt();
        plain.remove("propertyId");
        const int other = client->post("receipts", json(plain)).json().object().value("id").toInt();
        expectRefusal("POST", QStringLiteral("receipts/%1/property").arg(other),
                      json({{"received", true}, {"receiveDate", "2020-01-04T11:30:00.000"}}), 422);
        // The path must name a receipt of its own collection.
        expectRefusal("POST", "receipts/99/property", json({{"received", true}}), 404);
        expectRefusal("POST", "paid_education_receipts/x/return", {}, 400);
    }

    void returns_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QString>("section");
        QTest::newRow("extra service") << "receipts"
                                       << "extraServices";
        QTest::newRow("paid education") << "paid_education_receipts"
                                        << "paidEducation";
    }

    // One sale is refunded once: a second return and the return of a return
    // are refused, also after the return was edited in the receipt dialog,
    // which sends it back whole. In the cash report and the summary a sale
    // and its return cancel out, quantity and amount.
    void returns()
    {
        QFETCH(QString, collection);
        QFETCH(QString, section);
        server->setNow(QDateTime(QDate(2020, 2, 3), QTime(15, 0)));
        QJsonObject sale = receipt();
        sale.insert("curriculumId", 2);
        sale.insert("number", 0);
        sale.insert("payDate", "2020-02-03T00:00:00.000");
        const int id = client->post(collection, json(sale)).json().object().value("id").toInt();
        const QString path = QStringLiteral("%1/%2/return").arg(collection).arg(id);
        const HttpResult returned = client->send("POST", path);
        QCOMPARE(returned.status, 201);
        const int copy = returned.json().object().value("id").toInt();

        QJsonObject edited = sale;
        edited.insert("payTypeId", 9);
        edited.insert("number", returned.json().object().value("number"));
        QCOMPARE(client->put(QStringLiteral("%1/%2").arg(collection).arg(copy), json(edited)).status,
                 200);
        expectRefusal("POST", path, {}, 409);
        expectRefusal("POST", QStringLiteral("%1/%2/return").arg(collection).arg(copy), {}, 409);
        QCOMPARE(getArray(collection).size(), 2);

        for (const char *report : {"reports/cass?payDate=03.02.2020",
                                   "reports/cass/summary?start=01.02.2020&end=29.02.2020"}) {
            const QJsonObject cash = getObject(report).value(section).toObject();
            QCOMPARE(cash.value("entries").toArray().size(), 1);
            const QJsonObject entry = cash.value("entries").toArray().at(0).toObject();
            QCOMPARE(entry.value("amount"), QJsonValue(0));
            QCOMPARE(entry.value("paid").toDouble(), 0.0);
            QCOMPARE(cash.value("total").toDouble(), 0.0);
        }
    }
};

LOMI_TEST_CLASS(StandInReceiptsTest)

#include "tst_receipts.moc"
