#include "testregistry.h"

#include "testpostgres.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

// The server the legacy import is tested against: reachable through QPSQL,
// and the tests' role can make and remove databases of its own.
class PostgresTest : public QObject
{
    Q_OBJECT

    static bool exists(const QString &database)
    {
        QSqlQuery query(QSqlDatabase::database("admin"));
        query.prepare("SELECT 1 FROM pg_database WHERE datname = ?");
        query.addBindValue(database);
        return query.exec() && query.next();
    }

private slots:
    void createsUsesAndDropsADatabase()
    {
        LOMI_REQUIRE_POSTGRES();
        const QString name = QStringLiteral("lomi_check_%1").arg(QCoreApplication::applicationPid());
        {
            QSqlDatabase admin = TestPostgres::open("admin");
            QVERIFY2(admin.isOpen(), qPrintable(admin.lastError().text()));
            QSqlQuery query(admin);
            query.exec("DROP DATABASE IF EXISTS " + name);
            QVERIFY2(query.exec("CREATE DATABASE " + name), qPrintable(query.lastError().text()));
            {
                QSqlDatabase scratch = TestPostgres::open("scratch", name);
                QVERIFY2(scratch.isOpen(), qPrintable(scratch.lastError().text()));
                // Legacy records are Russian: the texts must come back as sent.
                QSqlQuery table(scratch);
                QVERIFY(table.exec("CREATE TABLE t (v text)"));
                QVERIFY(table.exec("INSERT INTO t VALUES ('Общежитие №2')"));
                QVERIFY(table.exec("SELECT v FROM t") && table.next());
                QCOMPARE(table.value(0).toString(), QString("Общежитие №2"));
            }
            QSqlDatabase::removeDatabase("scratch");
            QVERIFY(exists(name));
            QVERIFY2(query.exec("DROP DATABASE " + name), qPrintable(query.lastError().text()));
            QVERIFY(!exists(name));
        }
        QSqlDatabase::removeDatabase("admin");
    }
};

LOMI_TEST_CLASS(PostgresTest)

#include "tst_postgres.moc"
