#include "testpostgres.h"

#include <QSqlError>

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

}  // namespace TestPostgres
