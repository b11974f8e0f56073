#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTest>

// The throwaway PostgreSQL server that scripts/start-postgres.sh starts for
// a test run and names in LOMI_PG_HOST, LOMI_PG_PORT, LOMI_PG_USER and
// LOMI_PG_PASSWORD; its role may create databases and roles.
namespace TestPostgres {

// Why the server can not be used, or empty when it can.
QString unavailable();

// Under CI (LOMI_CI set by .ci/run) a missing server is a fault of the run.
bool required();

// A QPSQL connection under `connectionName` to `database` on that server,
// opened; check isOpen(). Remove it with QSqlDatabase::removeDatabase once
// every handle to it is gone.
QSqlDatabase open(const QString &connectionName, const QString &database = "postgres");

// A database of its own on that server, so that tests may run in parallel:
// created empty, and dropped, whoever is still connected to it, when this
// object goes.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString &prefix);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    QString name() const { return databaseName; }
    // Why the last step failed; empty when none did.
    QString error() const { return lastError; }
    // Runs the statements of `script`, each ending with ";" at the end of a
    // line; stops at the first that fails.
    bool run(const QString &script);
    bool runFile(const QString &path);

private:
    QString databaseName;
    QString connectionName;
    QString lastError;
};

// A login role of its own on that server that may read every table of
// `database` and hold at most `connections` connections at once; dropped
// when this object goes, which must be after `database` is.
class ScratchRole
{
public:
    ScratchRole(ScratchDatabase &database, int connections);
    ~ScratchRole();
    ScratchRole(const ScratchRole &) = delete;
    ScratchRole &operator=(const ScratchRole &) = delete;

    QString name() const { return roleName; }
    QString password() const { return QStringLiteral("scratch"); }
    // Why it could not be made; empty when it was.
    QString error() const { return lastError; }

private:
    QString roleName;
    QString lastError;
};

}  // namespace TestPostgres

// First statement of a test that needs the server: skips without it, or
// fails under CI.
#define LOMI_REQUIRE_POSTGRES()                                        \
    do {                                                               \
        const QString lomiPgWhy = TestPostgres::unavailable();         \
        if (!lomiPgWhy.isEmpty()) {                                    \
            if (TestPostgres::required())                              \
                QFAIL(qPrintable(lomiPgWhy));                          \
            QSKIP(qPrintable(lomiPgWhy));                              \
        }                                                              \
    } while (false)
