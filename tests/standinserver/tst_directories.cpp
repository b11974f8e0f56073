#include "standinfixture.h"
#include "testregistry.h"

// The directories' own rules: references that must name a record, the
// organization lookup by code, and the records of the directory editors kept
// as they were sent.
class StandInDirectoriesTest : public StandInTestBase
{
    Q_OBJECT

private slots:

    void editorRecordsComeBackAsSent_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QJsonObject>("body");
        QTest::addColumn<QString>("nested");      // the reference as the lists read it
        QTest::addColumn<QJsonValue>("nestedName");  // undefined: the key is absent

        QTest::newRow("organization") << "organizations"
            << QJsonObject{{"archived", false}, {"code", "Г-3"}, {"inn", ""}, {"name", "Гамма"}, {"regionId", 1}}
            << "region" << QJsonValue("Москва");
        QTest::newRow("stream") << "streams"
            << QJsonObject{{"curriculumId", 2}, {"endDate", "2024-03-15T00:00:00.000"}, {"externalId", 77},
                           {"name", "ПБ-1"}, {"startDate", "2024-03-01T00:00:00.000"}}
            << "curriculum" << QJsonValue("Платная");
        QTest::newRow("pay type with payer") << "pay_type"
            << QJsonObject{{"attribute", -1}, {"contractCost", 1000.5}, {"endDate", "2024-12-31T00:00:00.000"},
                           {"name", "Контракт"}, {"payerId", 2}, {"startDate", "2024-01-01T00:00:00.000"}}
            << "payer" << QJsonValue("Бета");
        // 0 is what the legacy import sends for a payer it cannot translate.
        QTest::newRow("pay type, payer 0") << "pay_type"
            << QJsonObject{{"attribute", 0}, {"contractCost", 0}, {"endDate", "2024-12-31T00:00:00.000"},
                           {"name", "Наличные"}, {"payerId", 0}, {"startDate", "2024-01-01T00:00:00.000"}}
            << "payer" << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("property") << "properties"
            << QJsonObject{{"archived", false}, {"cost", 99.99}, {"name", "Лампа"}, {"number", "0012А"}}
            << "" << QJsonValue();
    }

    void editorRecordsComeBackAsSent()
    {
        QFETCH(QString, collection);
        QFETCH(QJsonObject, body);
        QFETCH(QString, nested);
        QFETCH(QJsonValue, nestedName);

        const HttpResult created = client->post(collection, json(body));
        QCOMPARE(created.status, 201);
        QJsonObject record = created.json().object();
        const int id = record.value("id").toInt();
        QVERIFY(id > 0);
        if (!nested.isEmpty()) {
            QCOMPARE(record.contains(nested), !nestedName.isUndefined());
            QCOMPARE(record.value(nested).toObject().value("name"), nestedName);
        }
        for (const char *query : {"", "?pretty=true"}) {
            const QJsonArray list = client->get(collection + query).json().array();
            QCOMPARE(list.at(ids(list).indexOf(id)).toObject(), record);
        }
        record.remove("id");
        record.remove(nested);
        QCOMPARE(record, body);

        body.insert("name", "Другое");
        const QString path = QStringLiteral("%1/%2").arg(collection).arg(id);
        QCOMPARE(client->put(path, json(body)).status, 200);
        QCOMPARE(client->get(path).json().object().value("name"), QJsonValue("Другое"));
        QCOMPARE(client->del(path).status, 200);
        QCOMPARE(client->get(path).status, 404);
    }

    void referenceToNoRecordIsRefused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonObject>("body");
        QTest::newRow("organization's region") << QByteArray("POST") << "organizations"
                                               << QJsonObject{{"name", "x"}, {"regionId", 99}};
        QTest::newRow("stream's curriculum") << QByteArray("PUT") << "streams/1"
                                             << QJsonObject{{"name", "x"}, {"curriculumId", 99}};
        QTest::newRow("pay type's payer") << QByteArray("PUT") << "pay_type/1"
                                          << QJsonObject{{"name", "x"}, {"payerId", 99}};
    }

    void referenceToNoRecordIsRefused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QJsonObject, body);
        expectRefusal(method, path, json(body), 422);
    }

    void organizationByRawCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("id");
        QTest::newRow("plain") << "A-1" << 1;
        QTest::newRow("blank, plus and Cyrillic, unencoded") << "Б 2+" << 2;
        QTest::newRow("unknown") << "Z-9" << 0;
    }

    void organizationByRawCode()
    {
        QFETCH(QString, code);
        QFETCH(int, id);
        const HttpResult result = client->get("organizations?code=" + code);
        QCOMPARE(result.status, 200);
        if (id == 0) {
            QCOMPARE(result.body, QByteArray());
            return;
        }
        QVERIFY(result.json().isObject());
        QCOMPARE(result.json().object().value("id").toInt(), id);
        QCOMPARE(result.json().object().value("region").toObject().value("name"), QJsonValue("Москва"));
    }
};

LOMI_TEST_CLASS(StandInDirectoriesTest)

#include "tst_directories.moc"
