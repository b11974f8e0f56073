#include "standinfixture.h"
#include "testregistry.h"

#include <QTest>

// The audit log, whole or for one record.
class StandInAuditTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void entriesOfOneTarget()
    {
        QCOMPARE(StandInFixture::ids(f.client->get("/audit?target=1").json().array()), QList<int>({1}));
        QCOMPARE(StandInFixture::ids(f.client->get("audit?pretty=true").json().array()),
                 QList<int>({1, 2}));
    }
};

LOMI_TEST_CLASS(StandInAuditTest)

#include "tst_audit.moc"
