#include "testpostgres.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace TestPostgres {

QString unavailable()
{
    if (qEnvironmentVariableIsEmpty("LOMI_PG_PORT"))
        return QStringLiteral("No PostgreSQL server for the tests: run them through "
                              "scripts/test.sh, or source scripts/start-postgres.sh first");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("The Qt PostgreSQL driver (QPSQL) is not installed");
    const QString probe = QStringLiteral("lomi-pg-probe");
    QString error;
    {
        QSqlDatabase db = open(probe);
        if (!db.isOpen())
            error = QStringLiteral("PostgreSQL at %1:%2 does not answer: %3")
                        .arg(db.hostName())
                        .arg(db.port())
                        .arg(db.lastError().text());
    }
    QSqlDatabase::removeDatabase(probe);
    return error;
}

bool required()
{
    return !qEnvironmentVariableIsEmpty("LOMI_CI");
}

QSqlDatabase open(const QString &connectionName, const QString &database)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(qEnvironmentVariable("LOMI_PG_HOST", QStringLiteral("127.0.0.1")));
    db.setPort(qEnvironmentVariableIntValue("LOMI_PG_PORT"));
    db.setUserName(qEnvironmentVariable("LOMI_PG_USER"));
    db.setPassword(qEnvironmentVariable("LOMI_PG_PASSWORD"));
    db.setDatabaseName(database);
    db.open();
    return db;
}

namespace {

// Runs `statement` on the server's own database.
QString administer(const QString &statement)
{
    const QString connection = QStringLiteral("lomi-pg-admin");
    QString error;
    {
        QSqlDatabase admin = open(connection);
        QSqlQuery query(admin);
        if (!admin.isOpen())
            error = admin.lastError().text();
        else if (!query.exec(statement))
            error = query.lastError().text();
    }
    QSqlDatabase::removeDatabase(connection);
    return error;
}

}  // namespace

ScratchDatabase::ScratchDatabase(const QString &prefix)
{
    static int count = 0;
    databaseName = QStringLiteral("%1_%2_%3").arg(prefix).arg(QCoreApplication::applicationPid()).arg(++count);
    connectionName = QStringLiteral("lomi-scratch-") + databaseName;
    lastError = administer(QStringLiteral("CREATE DATABASE ") + databaseName);
}

ScratchDatabase::~ScratchDatabase()
{
    QSqlDatabase::removeDatabase(connectionName);
    administer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName));
}

bool ScratchDatabase::run(const QString &script)
{
    static const QRegularExpression end(QStringLiteral(";\\s*\\n"));
    QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName)
                                                             : open(connectionName, databaseName);
    if (!db.isOpen()) {
        lastError = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    const QStringList statements = (script + QLatin1Char('\n')).split(end);
    for (const QString &statement : statements) {
        if (statement.trimmed().isEmpty())
            continue;
        if (!query.exec(statement)) {
            lastError = query.lastError().text() + QStringLiteral(" in: ") + statement.left(200);
            return false;
        }
    }
    return true;
}

bool ScratchDatabase::runFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return run(QString::fromUtf8(file.readAll()));
}

ScratchRole::ScratchRole(ScratchDatabase &database, int connections)
    : roleName(database.name() + QStringLiteral("_reader"))
{
    if (!database.run(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' CONNECTION LIMIT %3;\n"
                                     "GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1;")
                          .arg(roleName, password())
                          .arg(connections)))
        lastError = database.error();
}

ScratchRole::~ScratchRole()
{
    administer(QStringLiteral("DROP ROLE IF EXISTS ") + roleName);
}

}  // namespace TestPostgres
