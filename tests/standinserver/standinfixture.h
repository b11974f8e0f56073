#pragma once

#include "httpclient.h"
#include "standinserver.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QTest>

#include <memory>

using IdList = QList<int>;

// The base of the stand-in's tests: every test gets a fresh in-process
// server loaded with a fixture of the area's data directory, and a client
// signed in as its administrator. A class's own records go into initTest(),
// never into a slot named init() or cleanup(), which would hide the base's.
class StandInTestBase : public QObject
{
    Q_OBJECT

protected:
    explicit StandInTestBase(const QString &fixture = QStringLiteral("fixture.json"))
        : fixture(fixture)
    {
    }

    // Runs after the server is up and the client signed in.
    virtual void initTest() {}

    QJsonObject getObject(const QString &path) { return client->get(path).json().object(); }
    QJsonArray getArray(const QString &path) { return client->get(path).json().array(); }
    // The list at `path` answers 200 with these ids, in this order.
    void compareIds(const QString &path, const IdList &expected);

    // Every collection and globals document, to prove that a request changed nothing.
    QJsonObject snapshot() const;
    // Sends the request and checks that it is refused with `status` and
    // {"Ok": false, "message": ...}, that nothing changed and that the
    // server still serves.
    void expectRefusal(const QByteArray &method, const QString &path, const QByteArray &body,
                       int status);

    static QByteArray json(const QJsonObject &object);
    static QList<int> ids(const QJsonArray &rows);

    std::unique_ptr<StandIn::Server> server;
    std::unique_ptr<HttpClient> client;

private slots:
    void init();
    void cleanup();

private:
    const QString fixture;
};
