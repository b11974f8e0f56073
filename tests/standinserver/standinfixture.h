#pragma once

// A fresh in-process stand-in server loaded with the small test fixture, and
// a client signed in as its administrator.

#include "httpclient.h"
#include "standinserver.h"

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

    static QByteArray json(const QJsonObject &object);
    static QList<int> ids(const QJsonArray &rows);
};
