#include "testregistry.h"

#include "defaultjsonvalidator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class ValidatorsTest : public QObject
{
    Q_OBJECT

private slots:
    void requiredKeysInKeyOrder()
    {
        DefaultJsonValidator v;
        v.addRequiredProperty("name", "Название");
        v.addRequiredProperty("code", "Шифр");
        QCOMPARE(v.getRequiredProperties(), QStringList({"code", "name"}));

        auto result = v.validate(QJsonDocument(QJsonObject()));
        QVERIFY(!result.valid);
        QCOMPARE(result.message, QString("Шифр: Требуется значение"));

        result = v.validate(QJsonDocument(QJsonObject{{"code", "77"}}));
        QCOMPARE(result.message, QString("Название: Требуется значение"));

        result = v.validate(QJsonDocument(QJsonObject{{"code", "77"}, {"name", "Москва"}}));
        QVERIFY(result.valid);
        QVERIFY(result.message.isEmpty());
    }

    void missingValues_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<bool>("isId");
        QTest::addColumn<bool>("valid");

        QTest::newRow("absent") << QJsonValue(QJsonValue::Undefined) << false << false;
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false << false;
        QTest::newRow("empty string") << QJsonValue("") << false << false;
        QTest::newRow("blank string") << QJsonValue(" ") << false << true;
        QTest::newRow("zero") << QJsonValue(0) << false << true;
        QTest::newRow("false") << QJsonValue(false) << false << true;
        QTest::newRow("empty array") << QJsonValue(QJsonArray()) << false << true;
        QTest::newRow("minus one, not an id") << QJsonValue(-1) << false << true;
        QTest::newRow("minus one, id") << QJsonValue(-1) << true << false;
        QTest::newRow("zero id") << QJsonValue(0) << true << true;
        QTest::newRow("id 5") << QJsonValue(5) << true << true;
        QTest::newRow("string id") << QJsonValue("-1") << true << true;
        QTest::newRow("absent id") << QJsonValue(QJsonValue::Undefined) << true << false;
    }

    void missingValues()
    {
        QFETCH(QJsonValue, value);
        QFETCH(bool, isId);
        QFETCH(bool, valid);

        DefaultJsonValidator v;
        v.addRequiredProperty("regionId", "Регион", isId);
        QJsonObject record;
        if (!value.isUndefined())
            record.insert("regionId", value);
        const auto result = v.validate(QJsonDocument(record));
        QCOMPARE(result.valid, valid);
        QCOMPARE(result.message, valid ? QString() : QString("Регион: Требуется значение"));
    }

    void labelDefaultsToKeyAndIdFlagSticks()
    {
        DefaultJsonValidator v;
        v.addRequiredProperty("name", QString());
        QCOMPARE(v.validate(QJsonDocument(QJsonObject())).message,
                 QString("name: Требуется значение"));

        v.addRequiredProperty("districtId", "Округ", true);
        v.addRequiredProperty("districtId", "Округ (новый)", false);  // id flag is kept
        const auto result
            = v.validate(QJsonDocument(QJsonObject{{"name", "x"}, {"districtId", -1}}));
        QCOMPARE(result.message, QString("Округ (новый): Требуется значение"));
    }

    void arrayDocumentAndNoRequirements()
    {
        DefaultJsonValidator empty;
        QVERIFY(empty.validate(QJsonDocument(QJsonArray{1, 2})).valid);

        DefaultJsonValidator v;
        v.addRequiredProperty("name", "Название");
        QVERIFY(!v.validate(QJsonDocument(QJsonArray{QJsonObject{{"name", "x"}}})).valid);
    }
};

LOMI_TEST_CLASS(ValidatorsTest)

#include "tst_validators.moc"
