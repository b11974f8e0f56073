#pragma once

// A fresh in-process stand-in server loaded with the small test fixture, and
// a client signed in as its administrator.

#include "httpclient.h"
#include "standinserver.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

#include <memory>

struct StandInFixture
{
    std::unique_ptr<StandIn::Server> server;
    std::unique_ptr<HttpClient> client;

    bool setUp();
    void tearDown();

    // Every collection and globals document, to prove that a request changed nothing.
    QJsonObject snapshot() const;
    // Sends the request and checks that it is refused with `status` and
    // {"Ok": false, "message": ...}, that nothing changed and that the
    // server still serves.
    void expectRefusal(const QByteArray &method, const QString &path, const QByteArray &body,
                       int status);

    static QByteArray json(const QJsonObject &object);
    static QList<int> ids(const QJsonArray &rows);
};
