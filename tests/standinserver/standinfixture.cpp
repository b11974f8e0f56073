#include "standinfixture.h"

#include <QJsonDocument>

void StandInTestBase::init()
{
    server = std::make_unique<StandIn::Server>();
    QString error;
    QVERIFY2(server->loadFixture(QStringLiteral(LOMI_TEST_DATA_DIR "/") + fixture, &error),
             qPrintable(error));
    QVERIFY(server->start() != 0);
    client = std::make_unique<HttpClient>(server->rootUrl());
    QVERIFY(!client->signIn("secret").isEmpty());
    initTest();
}

void StandInTestBase::cleanup()
{
    client.reset();
    server.reset();
}

QJsonObject StandInTestBase::snapshot() const
{
    QJsonObject all;
    for (const QString &name : server->collectionNames())
        all.insert(name, server->collection(name));
    for (const char *name : {"OrganizationInfo", "CheckoutHour", "ReceiptNumber", "BillNumber"})
        all.insert(QStringLiteral("globals/") + name, server->global(name));
    return all;
}

void StandInTestBase::expectRefusal(const QByteArray &method, const QString &path,
                                    const QByteArray &body, int status)
{
    const QJsonObject before = snapshot();
    const HttpResult result = client->send(method, path, body);
    QCOMPARE(result.status, status);
    const QJsonObject error = result.json().object();
    QCOMPARE(error.value("Ok"), QJsonValue(false));
    QVERIFY(!error.value("message").toString().isEmpty());
    QCOMPARE(snapshot(), before);
    QCOMPARE(client->get("districts").status, 200);
}

void StandInTestBase::compareIds(const QString &path, const IdList &expected)
{
    const HttpResult result = client->get(path);
    QCOMPARE(result.status, 200);
    QVERIFY(result.json().isArray());
    QCOMPARE(ids(result.json().array()), expected);
}

QByteArray StandInTestBase::json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QList<int> StandInTestBase::ids(const QJsonArray &rows)
{
    QList<int> result;
    for (const QJsonValue &row : rows)
        result.append(row.toObject().value("id").toInt());
    return result;
}
