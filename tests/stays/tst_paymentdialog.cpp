#include "modalhandler.h"
#include "paymenteditdialog.h"
#include "selectoredit.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QCheckBox>
#include <QLabel>

using namespace StaysTest;

class PaymentDialogTest : public StaysTestBase
{
    Q_OBJECT

    std::unique_ptr<PaymentEditDialog> dialog;

    SelectorEdit *payType() { return dialog->findChild<SelectorEdit *>("payTypeSelectorWidget"); }
    QJsonObject sent() const { return dialog->getJson().object(); }
    bool payerShown() { return !dialog->findChild<QLabel *>("payerLabel")->isHidden(); }
    bool amountShown() { return !dialog->findChild<QWidget *>("paidSpinBox")->isHidden(); }

    void initTest() override
    {
        dialog = std::make_unique<PaymentEditDialog>();
        StaysTestBase::initTest();
    }

private slots:
    void payers_data()
    {
        QTest::addColumn<QJsonObject>("payment");  // empty: a new payment
        QTest::addColumn<QString>("shownFirst");
        QTest::addColumn<bool>("payerFirst");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("payerSent");  // -1: no "payerId"
        const QJsonObject cash{{"id", 1}, {"name", "Наличные"}, {"attribute", 1}};
        const QJsonObject alpha{{"id", 3}, {"name", "Контракт Альфы"},
                                {"payer", QJsonObject{{"id", 1}, {"name", "Альфа"}}}};
        QTest::newRow("new: the person's contract, then cash") << QJsonObject() << "Контракт Альфы" << true << 1 << -1;
        QTest::newRow("existing with payer keeps it")
            << QJsonObject{{"payType", cash}, {"payer", alpha}} << "Наличные" << true << 2 << 3;
        QTest::newRow("existing without payer takes one")
            << QJsonObject{{"payType", cash}} << "Наличные" << false << 3 << 3;
        QTest::newRow("existing with null payer takes one")
            << QJsonObject{{"payType", cash}, {"payer", QJsonValue::Null}} << "Наличные" << false << 3 << 3;
    }

    void payers()
    {
        QFETCH(QJsonObject, payment);
        QFETCH(QString, shownFirst);
        QFETCH(bool, payerFirst);
        QFETCH(int, chosen);
        QFETCH(int, payerSent);
        payment.insert("id", 4);
        payment.insert("summ", 100);
        payment.insert("payDate", "2026-06-01T10:00:00.000");
        const auto row = cardRow(paymentColumns, payment);

        // A fresh dialog: its selector has loaded no list yet.
        dialog->setTargetPerson(700);
        if (payment.contains("payType"))
            dialog->fromModel(row->index(0, 0));
        else
            dialog->reset();
        QTRY_COMPARE(payType()->getDisplayValue(), shownFirst);
        QCOMPARE(payerShown(), payerFirst);
        choose(dialog.get(), "payTypeSelectorWidget", "pay_type", chosen);

        QCOMPARE(sent().value("payTypeId"), QJsonValue(chosen));
        QCOMPARE(sent().value("payerId"), payerSent > 0 ? QJsonValue(payerSent) : QJsonValue(QJsonValue::Undefined));
        QCOMPARE(payerShown(), payerSent > 0);
        QCOMPARE(dialog->findChild<QLabel *>("payerLabel")->text(), QString(payerSent > 0 ? "Альфа" : ""));
    }

    void lookupIsForThePerson()
    {
        dialog->setTargetPerson(701);
        dialog->reset();
        // Organization 2's contract awaits payment: no amount is taken.
        QTRY_COMPARE(payType()->getDisplayValue(), QString("Контракт Беты"));
        QVERIFY(!amountShown());
        dialog->setPaid(500);
        QCOMPARE(sent().value("summ"), QJsonValue(0));
        QCOMPARE(sent().value("payerId"), QJsonValue(6));
        QStringList queries;
        for (const StandIn::Request &request : server().requestsTo("GET", "pay_type"))
            queries << request.query;
        QCOMPARE(queries, QStringList({"payerOnly=true&actualOnly=true&person=701",
                                       "payerOnly=false&actualOnly=true&person=701"}));

        // Without the detection the list is every pay type, and cash takes the amount.
        server().clearRequests();
        dialog->findChild<QCheckBox *>("autoDetectPayerCheckBox")->setChecked(false);
        choose(dialog.get(), "payTypeSelectorWidget", "pay_type", 1);
        QCOMPARE(server().requestsTo("GET", "pay_type").last().query,
                 QString("payerOnly=false&actualOnly=true"));
        QVERIFY(amountShown());
        QCOMPARE(sent().value("summ"), QJsonValue(500));
        QVERIFY(!sent().contains("payerId"));
    }

    void anUnchangedRefundKeepsItsAmount()
    {
        dialog->setTargetPerson(700);
        dialog->reset();
        dialog->setPaid(55.55);
        const auto row = cardRow(paymentColumns, {{"id", 4}, {"summ", -100},
                                                   {"payDate", "2026-06-01T10:00:00.000"},
                                                   {"payType", server().record("pay_type", 4)}});
        dialog->fromModel(row->index(0, 0));
        ModalHandler::onNextDialog<PaymentEditDialog>([](PaymentEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QCOMPARE(sent().value("summ"), QJsonValue(-100));
    }

    void payTypeZeroIsNoPayType()
    {
        const auto row = cardRow(paymentColumns, {{"id", 4}, {"summ", 100},
                                                   {"payType", QJsonObject{{"id", 0}}}});
        dialog->fromModel(row->index(0, 0));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<PaymentEditDialog>([](PaymentEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::rejectNext<PaymentEditDialog>();
        QCOMPARE(dialog->exec(), int(QDialog::Rejected));
        QCOMPARE(boxTexts("Ошибка"), QStringList{"Способ оплаты: Требуется значение"});
    }
};

LOMI_TEST_CLASS(PaymentDialogTest)

#include "tst_paymentdialog.moc"
