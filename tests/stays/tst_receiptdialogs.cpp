#include "paideducationreceipteditdialog.h"
#include "propertyreceivedialog.h"
#include "receipteditdialog.h"
#include "selectoredit.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTimeEdit>

using namespace StaysTest;

class ReceiptDialogsTest : public StaysTestBase
{
    Q_OBJECT

    std::unique_ptr<ReceiptEditDialog> receipt;
    std::unique_ptr<PaidEducationReceiptEditDialog> education;

    SelectorEdit *property() { return child<SelectorEdit>(receipt.get(), "propertySelectorWidget"); }

    void chooseService(int id) { choose(receipt.get(), "serviceSelectorWidget", "extra_services", id); }
    void setStart(const QDateTime &start)
    {
        child<QDateEdit>(receipt.get(), "dat_start")->setDate(start.date());
        child<QTimeEdit>(receipt.get(), "time_start")->setTime(start.time());
    }
    QString sentEnd() const { return receipt->getJson().object().value("endDate").toString(); }

    void initTest() override
    {
        StaysTestBase::initTest();
        receipt = std::make_unique<ReceiptEditDialog>();
        education = std::make_unique<PaidEducationReceiptEditDialog>();
    }

private slots:
    void payerBoundPayTypesAreNeverOffered()
    {
        for (EditDialog *dialog : {static_cast<EditDialog *>(receipt.get()),
                                   static_cast<EditDialog *>(education.get())}) {
            dialog->reset();
            auto *payTypes = child<QComboBox>(dialog, "pay_type");
            QCOMPARE(itemTexts(payTypes), QStringList({"Наличные", "Ожидает оплаты", "Возврат", "Счёт на оплату"}));
            QCOMPARE(payTypes->currentText(), QString("Счёт на оплату"));
        }
    }

    void numberRule_data()
    {
        QTest::addColumn<bool>("ofEducation");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("payTypeIndex");  // -1: as reset left it
        QTest::addColumn<QJsonValue>("number");
        const QJsonValue none(QJsonValue::Undefined);
        QTest::newRow("awaiting payment, no number") << false << "" << -1 << none;
        QTest::newRow("paid, the next number") << false << "" << 0 << QJsonValue(0);
        QTest::newRow("returned, the next number") << false << "" << 2 << QJsonValue(0);
        QTest::newRow("typed") << false << "123" << -1 << QJsonValue(123);
        QTest::newRow("education, awaiting payment") << true << "" << -1 << none;
        QTest::newRow("education, paid") << true << "" << 0 << QJsonValue(0);
        QTest::newRow("education, a stray letter") << true << "1a5" << -1 << QJsonValue(15);
    }

    void numberRule()
    {
        QFETCH(bool, ofEducation);
        QFETCH(QString, typed);
        QFETCH(int, payTypeIndex);
        QFETCH(QJsonValue, number);
        EditDialog *dialog = ofEducation ? static_cast<EditDialog *>(education.get())
                                         : static_cast<EditDialog *>(receipt.get());
        dialog->reset();
        if (!typed.isEmpty()) {
            button(dialog, "edit_receipt_num")->click();
            auto *edit = child<QLineEdit>(dialog, "numberLineEdit");
            edit->clear();
            typeInto(edit, typed);
        }
        if (payTypeIndex >= 0)
            child<QComboBox>(dialog, "pay_type")->setCurrentIndex(payTypeIndex);
        QCOMPARE(dialog->getJson().object().value("number"), number);
    }

    void servicePeriod_data()
    {
        QTest::addColumn<int>("service");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QString>("end");
        // Three of each, from 10.06.2026; check-out on 20.06 at noon.
        QTest::newRow("no period") << 1 << QTime(14, 30) << "2026-06-10T14:30:00.000";
        QTest::newRow("hours") << 2 << QTime(14, 30) << "2026-06-10T17:30:00.000";
        QTest::newRow("hours past midnight") << 2 << QTime(22, 0) << "2026-06-11T01:00:00.000";
        QTest::newRow("days") << 3 << QTime(14, 30) << "2026-06-13T14:30:00.000";
        QTest::newRow("until check-out") << 4 << QTime(14, 30) << "2026-06-20T12:00:00.000";
    }

    void servicePeriod()
    {
        QFETCH(int, service);
        QFETCH(QTime, start);
        QFETCH(QString, end);
        receipt->withOutDate(QDateTime(QDate(2026, 6, 20), QTime(12, 0)));
        receipt->reset();
        setStart(testDay(start));
        chooseService(service);
        child<QSpinBox>(receipt.get(), "amount")->setValue(3);
        QCOMPARE(sentEnd(), end);
    }

    void quantityBeforeAServiceLeavesTheEnd()
    {
        receipt->reset();
        chooseService(3);
        receipt->reset();
        setStart(testDay(QTime(14, 30)));
        child<QSpinBox>(receipt.get(), "amount")->setValue(5);
        QCOMPARE(sentEnd(), QString("2026-06-10T09:00:00.000"));
    }

    void loadedItemBelongsToItsReceiptOnly()
    {
        const JsonTableModel::Headers columns{{"ID", "id"}, {"№ кв-ции", "number"}};
        auto row = [](int serviceId, int propertyId) {
            return QJsonObject{{"id", 8}, {"number", 41},
                               {"extraService", QJsonObject{{"id", serviceId}}},
                               {"property", QJsonObject{{"id", propertyId}}},
                               {"amount", 2}, {"payType", QJsonObject{{"id", 1}}},
                               {"startDate", "2026-06-01T10:00:00.000"},
                               {"endDate", "2026-06-03T10:00:00.000"},
                               {"payDate", "2026-06-01T00:00:00.000"}};
        };
        const auto current = cardRow(columns, row(3, 2));
        receipt->fromModel(current->index(0, 0));
        QTRY_COMPARE(child<QLabel>(receipt.get(), "idn_num")->text(), QString("ИН-2"));
        const QJsonObject body = receipt->getJson().object();
        QCOMPARE(body.value("propertyId"), QJsonValue(2));
        QCOMPARE(body.value("number"), QJsonValue(41));
        QCOMPARE(body.value("payTypeId"), QJsonValue(1));
        QCOMPARE(body.value("received"), QJsonValue(false));

        // A service no longer offered never shows, and its item must not
        // turn up in the next receipt.
        const auto stale = cardRow(columns, row(5, 1));
        receipt->fromModel(stale->index(0, 0));
        receipt->reset();
        chooseService(3);
        QCOMPARE(property()->getSelectedId(), -1);
        QVERIFY(!receipt->getJson().object().contains("propertyId"));
    }

    void educationRowIsLoaded()
    {
        const auto row = cardRow(receiptColumns,
                                 {{"id", 3}, {"number", QJsonValue::Null},
                                  {"curriculum", QJsonObject{{"id", 2}, {"cost", 15000}}},
                                  {"startDate", "2026-09-01T00:00:00.000"},
                                  {"endDate", "2026-09-20T00:00:00.000"},
                                  {"payDate", "2026-08-25T00:00:00.000"},
                                  {"payType", QJsonObject{{"id", 1}}}});
        education->fromModel(row->index(0, 0));
        QCOMPARE(child<QLineEdit>(education.get(), "numberLineEdit")->text(), QString("000000"));
        QTRY_COMPARE(child<QLabel>(education.get(), "rate_state")->text(), QString("15000"));
        const QJsonObject body = education->getJson().object();
        QCOMPARE(body.value("curriculumId"), QJsonValue(2));
        QCOMPARE(body.value("startDate"), QJsonValue("2026-09-01T00:00:00.000"));
        QCOMPARE(body.value("endDate"), QJsonValue("2026-09-20T00:00:00.000"));
        QCOMPARE(body.value("payDate"), QJsonValue("2026-08-25T00:00:00.000"));
        QCOMPARE(body.value("number"), QJsonValue(0));  // paid in cash: the next number
    }

    void handBack_data()
    {
        QTest::addColumn<QString>("receivedAt");
        QTest::addColumn<QString>("act");
        QTest::addColumn<QJsonObject>("body");
        QTest::newRow("not yet back") << "" << "" << QJsonObject{
            {"actNumber", 0}, {"received", false}, {"receiveDate", "2026-06-10T09:00:00.000"}, {"receiverId", 1}};
        QTest::newRow("already back") << "2026-06-08T17:45:00.000" << "12" << QJsonObject{
            {"actNumber", 12}, {"received", true}, {"receiveDate", "2026-06-08T17:45:00.000"}, {"receiverId", 1}};
    }

    void handBack()
    {
        QFETCH(QString, receivedAt);
        QFETCH(QString, act);
        QFETCH(QJsonObject, body);
        QStandardItemModel table(1, 8);
        table.setItem(0, 3, new QStandardItem(act));
        table.setItem(0, 4, new QStandardItem("Утюг"));
        table.setItem(0, 7, new QStandardItem(receivedAt));
        PropertyReceiveDialog dialog;
        dialog.fromModel(table.index(0, 0));
        QCOMPARE(child<QLabel>(&dialog, "propertyLabel")->text(), QString("Утюг"));
        QCOMPARE(dialog.getJson().object(), body);
    }
};

LOMI_TEST_CLASS(ReceiptDialogsTest)

#include "tst_receiptdialogs.moc"
