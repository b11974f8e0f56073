// standin-server [--port N] [--data FILE|DIRECTORY]
//
// Serves the stand-in on 127.0.0.1 until killed. The first line on stdout is
// the root URL to give the client, the second the password of the
// administrator (the user with the most rights) to sign in with.

#include "standinserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

int rightsOf(const QJsonObject &user)
{
    int sum = 0;
    const QJsonObject permissions = user.value("permissions").toObject();
    for (auto it = permissions.begin(); it != permissions.end(); ++it) {
        if (it.key() != QLatin1String("id") && it.key() != QLatin1String("userId"))
            sum += it.value().toInt();
    }
    return sum;
}

QString administratorPassword(const QJsonArray &users)
{
    QJsonObject best;
    for (const QJsonValue &user : users) {
        const QJsonObject candidate = user.toObject();
        if (!candidate.value("password").toString().isEmpty()
            && (best.isEmpty() || rightsOf(candidate) > rightsOf(best)))
            best = candidate;
    }
    return best.value("password").toString();
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("standin-server");

    QCommandLineParser parser;
    parser.setApplicationDescription("Stand-in HTTP/JSON server for the accommodation office client");
    parser.addHelpOption();
    QCommandLineOption portOption("port", "Port to listen on (default: chosen by the system).", "N");
    QCommandLineOption dataOption("data",
                                  "Fixture file, or directory of fixture files, to load "
                                  "(default: the demo data set).",
                                  "PATH", StandIn::Server::demoFixturePath());
    parser.addOption(portOption);
    parser.addOption(dataOption);
    parser.process(app);

    quint16 port = 0;
    if (parser.isSet(portOption)) {
        bool ok = false;
        const uint value = parser.value(portOption).toUInt(&ok);
        if (!ok || value > 65535) {
            std::fprintf(stderr, "standin-server: invalid port: %s\n",
                         qPrintable(parser.value(portOption)));
            return 2;
        }
        port = static_cast<quint16>(value);
    }

    StandIn::Server server;
    QString error;
    if (!server.loadFixture(parser.value(dataOption), &error)) {
        std::fprintf(stderr, "standin-server: cannot load data: %s\n", qPrintable(error));
        return 1;
    }
    if (server.start(port) == 0) {
        std::fprintf(stderr, "standin-server: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }

    std::printf("%s\n", server.rootUrl().toUtf8().constData());
    std::printf("Пароль администратора: %s\n",
                administratorPassword(server.collection("users")).toUtf8().constData());
    std::fflush(stdout);
    return app.exec();
}
