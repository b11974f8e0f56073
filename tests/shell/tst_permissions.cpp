#include "testregistry.h"

#include "permissionmanager.h"

#include <QSignalSpy>
#include <QTest>

class PermissionsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { PermissionManager::instance()->setPermissions({}); }

    void emptyNodeIsAlwaysAllowed()
    {
        auto *pm = PermissionManager::instance();
        pm->setPermissions({});
        QVERIFY(pm->canRead(QString()));
        QVERIFY(pm->canWrite(QString()));
        QVERIFY(pm->checkPermission(QString(), 3));
        QVERIFY(!pm->canRead("persons"));
    }

    void bits_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("both");
        QTest::newRow("none") << 0 << false << false << false;
        QTest::newRow("read") << 1 << true << false << false;
        QTest::newRow("write only") << 2 << false << true << false;
        QTest::newRow("read and write") << 3 << true << true << true;
        QTest::newRow("extra bits kept") << 7 << true << true << true;
    }

    void bits()
    {
        QFETCH(int, bits);
        QFETCH(bool, read);
        QFETCH(bool, write);
        QFETCH(bool, both);
        auto *pm = PermissionManager::instance();
        pm->setPermissions({{"payTypes", bits}});
        QCOMPARE(pm->canRead("payTypes"), read);
        QCOMPARE(pm->canWrite("payTypes"), write);
        QCOMPARE(pm->checkPermission("payTypes", 3), both);
        QCOMPARE(pm->getPermission("payTypes"), bits);
    }

    void nodesAreCaseSensitiveAndAbsentIsZero()
    {
        auto *pm = PermissionManager::instance();
        pm->setPermissions({{"paytypes", 3}, {"zero", 0}});
        QVERIFY(!pm->canRead("payTypes"));
        QCOMPARE(pm->getPermission("payTypes"), 0);
        QCOMPARE(pm->canRead("zero"), pm->canRead("absent"));
        QCOMPARE(pm->canWrite("zero"), pm->canWrite("absent"));
    }

    void replacingTheMapSignalsEveryTime()
    {
        auto *pm = PermissionManager::instance();
        QSignalSpy spy(pm, &PermissionManager::permissionsUpdated);
        pm->setPermissions({{"a", 1}});
        pm->setPermissions({{"a", 1}});
        QCOMPARE(spy.count(), 2);
        pm->setPermissions({{"b", 3}});
        // Replaced, not merged.
        QVERIFY(!pm->canRead("a"));
        QCOMPARE(pm->getPermissions().size(), 1);
    }
};

LOMI_TEST_CLASS(PermissionsTest)

#include "tst_permissions.moc"
