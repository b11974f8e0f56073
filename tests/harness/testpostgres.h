#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTest>

// The throwaway PostgreSQL server that scripts/start-postgres.sh starts for
// a test run and names in LOMI_PG_HOST, LOMI_PG_PORT, LOMI_PG_USER and
// LOMI_PG_PASSWORD; its role may create databases.
namespace TestPostgres {

// Why the server can not be used, or empty when it can.
QString unavailable();

// Under CI (LOMI_CI set by .ci/run) a missing server is a fault of the run.
bool required();

// A QPSQL connection under `connectionName` to `database` on that server,
// opened; check isOpen(). Remove it with QSqlDatabase::removeDatabase once
// every handle to it is gone.
QSqlDatabase open(const QString &connectionName, const QString &database = "postgres");

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
