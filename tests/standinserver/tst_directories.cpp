#include "standinfixture.h"
#include "testregistry.h"

#include <QTest>

using IdList = QList<int>;

// The directories' own rules: contracts among the pay types, property that is
// written off, and the organization lookup by code.
class StandInDirectoriesTest : public QObject
{
    Q_OBJECT

    StandInFixture f;

private slots:
    void init() { QVERIFY(f.setUp()); }
    void cleanup() { f.tearDown(); }

    void listFilters_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<IdList>("expected");
        QTest::newRow("pay types for payments") << "pay_type?payerOnly=false&actualOnly=true" << IdList{1, 2};
        QTest::newRow("payer pay types") << "pay_type?payerOnly=true&actualOnly=true" << IdList{2};
        QTest::newRow("property alias, actual") << "property?actualOnly=true" << IdList{1, 2};
        QTest::newRow("properties") << "/properties" << IdList{1, 2, 3};
    }

    void listFilters()
    {
        QFETCH(QString, path);
        QFETCH(IdList, expected);
        const HttpResult result = f.client->get(path);
        QCOMPARE(result.status, 200);
        QVERIFY(result.json().isArray());
        QCOMPARE(StandInFixture::ids(result.json().array()), expected);
    }

    void organizationByRawCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("id");
        QTest::newRow("plain") << "A-1" << 1;
        QTest::newRow("blank, plus and Cyrillic, unencoded") << "Б 2+" << 2;
        QTest::newRow("unknown") << "Z-9" << 0;
    }

    void organizationByRawCode()
    {
        QFETCH(QString, code);
        QFETCH(int, id);
        const HttpResult result = f.client->get("organizations?code=" + code);
        QCOMPARE(result.status, 200);
        if (id == 0) {
            QCOMPARE(result.body, QByteArray());
            return;
        }
        QVERIFY(result.json().isObject());
        QCOMPARE(result.json().object().value("id").toInt(), id);
        QCOMPARE(result.json().object().value("region").toObject().value("name"), QJsonValue("Москва"));
    }
};

LOMI_TEST_CLASS(StandInDirectoriesTest)

#include "tst_directories.moc"
