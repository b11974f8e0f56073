#include "testenvironment.h"

#include "settingsmanager.h"

#include <QSignalSpy>
#include <QTest>

TestEnvironment::TestEnvironment()
    : standIn(std::make_unique<StandIn::Server>())
{
    QString error;
    if (!standIn->loadFixture(StandIn::Server::demoFixturePath(), &error))
        qFatal("Cannot load the demo data: %s", qPrintable(error));
    start();
}

TestEnvironment::TestEnvironment(const QJsonObject &fixture)
    : standIn(std::make_unique<StandIn::Server>())
{
    standIn->loadFixture(fixture);
    start();
}

TestEnvironment::~TestEnvironment() = default;

void TestEnvironment::start()
{
    if (standIn->start(0) == 0)
        qFatal("The stand-in server could not listen on loopback");
    SettingsManager::instance()->setValue("connection/root_url", standIn->rootUrl());
}

QString TestEnvironment::rootUrl() const
{
    return standIn->rootUrl();
}

StandIn::Server &TestEnvironment::otherOrigin()
{
    if (!other) {
        other = std::make_unique<StandIn::Server>();
        other->start(0);
    }
    return *other;
}

LoginManager::Result TestEnvironment::login(const QString &password)
{
    QSignalSpy spy(LoginManager::instance(), &LoginManager::loginCompleted);
    LoginManager::instance()->login(password);
    if (!spy.wait(10000))
        return {};
    return spy.first().first().value<LoginManager::Result>();
}

bool TestEnvironment::signIn(const QString &password)
{
    return login(password).success;
}

QString TestEnvironment::adminPassword()
{
    return QStringLiteral("admin");
}
