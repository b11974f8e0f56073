#pragma once

#include "loginmanager.h"
#include "standinserver.h"

#include <QJsonObject>
#include <QString>

#include <memory>

// An in-process stand-in server with the client's settings pointed at it.
//
// Construct one per test class (or per test) before touching the client:
// it loads the fixture, listens on a free loopback port and stores its root
// as "connection/root_url". The settings live in the test-mode location.
class TestEnvironment
{
public:
    // The demo data set.
    TestEnvironment();
    // A fixture of the test's own.
    explicit TestEnvironment(const QJsonObject &fixture);
    ~TestEnvironment();

    StandIn::Server &server() { return *standIn; }
    QString rootUrl() const;
    // A second stand-in on another port: another origin, which nothing of
    // the server's (its sign-in token, its records) ever reaches. Started
    // when first asked for.
    StandIn::Server &otherOrigin();

    // Signs in through the client's LoginManager and waits for the outcome
    // (a failed result when none comes).
    static LoginManager::Result login(const QString &password);
    // True when the sign-in succeeded.
    static bool signIn(const QString &password);

    // The demo administrator's password (every permission node at 3).
    static QString adminPassword();

private:
    void start();

    std::unique_ptr<StandIn::Server> standIn;
    std::unique_ptr<StandIn::Server> other;
};
