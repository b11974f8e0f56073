#include "testregistry.h"

#include "admintesting.h"
#include "checkouthourwidget.h"
#include "organizationinfowidget.h"
#include "receiptnumerationdialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>

// The forms of the globals documents and the receipt numbering window.
class GlobalFormsTest : public AdminTestBase
{
    Q_OBJECT

    QMap<QString, RawViewWidget *> forms;

    static QPushButton *saveControl(RawViewWidget *form)
    {
        if (auto *box = form->findChild<QDialogButtonBox *>("buttonBox"))
            return box->button(QDialogButtonBox::Ok);
        return button(form, "saveButton");
    }

    static QStringList fields(RawViewWidget *form)
    {
        QStringList texts;
        for (const QLineEdit *edit : form->findChildren<QLineEdit *>())
            texts << edit->text();
        return texts;
    }

    QByteArray lastPut(const QString &path)
    {
        const auto puts = server().requestsTo("PUT", path);
        return puts.isEmpty() ? QByteArray() : puts.last().body;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn());
        forms["OrganizationInfo"] = openWindow<OrganizationInfoWidget>("orgInfoAction");
        forms["CheckoutHour"] = openWindow<CheckoutHourWidget>("payHourAction");
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *receipts = qobject_cast<ReceiptNumerationDialog *>(top))
                forms["ReceiptNumber"] = receipts;
        }
        for (RawViewWidget *form : std::as_const(forms))
            QVERIFY(form);
    }

    void organizationDetailsSaveEveryKeyAsTyped()
    {
        RawViewWidget *form = forms["OrganizationInfo"];
        server().setGlobal("OrganizationInfo", QJsonObject{{"name", "Только имя"}});
        QVERIFY(finishes(form, [&] { form->handleUpdate(); }));
        fillIn(form, "kppLineEdit", " 5032 ");
        QVERIFY(finishes(form, [&] { saveControl(form)->click(); }));
        QCOMPARE(lastPut("globals/OrganizationInfo"),
                 indented({{"value", QJsonObject{{"name", "Только имя"}, {"address", ""},
                                                 {"extraAddress", ""}, {"inn", ""},
                                                 {"kpp", " 5032 "}, {"comment", ""}}}}));
    }

    void checkoutHourKeepsTheSecondsItDoesNotShow()
    {
        RawViewWidget *form = forms["CheckoutHour"];
        auto *time = form->findChild<QTimeEdit *>("timeEdit");
        server().setGlobal("CheckoutHour", "12:00:30");
        QVERIFY(finishes(form, [&] { form->handleUpdate(); }));
        QCOMPARE(time->text(), QString("12:00"));
        QVERIFY(finishes(form, [&] { saveControl(form)->click(); }));
        QCOMPARE(lastPut("globals/CheckoutHour"), indented({{"value", "12:00:30"}}));

        time->setTime(QTime(8, 45));
        QVERIFY(finishes(form, [&] { saveControl(form)->click(); }));
        QCOMPARE(lastPut("globals/CheckoutHour"), indented({{"value", "08:45:00"}}));
    }

    void receiptNumberingStoresTheNumberBeforeTheOneEntered()
    {
        auto *receipts = forms["ReceiptNumber"];
        auto *number = receipts->findChild<QSpinBox *>("spinBox");
        QAction *entry = window->findChild<QAction *>("receiptNumAction");
        server().setGlobal("ReceiptNumber", 41);
        QVERIFY(finishes(receipts, [&] { entry->trigger(); }));
        QVERIFY(receipts->isVisible() && receipts->isWindow());
        QCOMPARE(number->value(), 42);
        QVERIFY(finishes(receipts, [&] { saveControl(receipts)->click(); }));
        QVERIFY(!receipts->isVisible());
        QCOMPARE(server().global("ReceiptNumber"), QJsonValue(41));

        QVERIFY(finishes(receipts, [&] { entry->trigger(); }));
        number->setValue(100);
        QVERIFY(finishes(receipts, [&] { saveControl(receipts)->click(); }));
        QCOMPARE(server().global("ReceiptNumber"), QJsonValue(99));

        QVERIFY(finishes(receipts, [&] { entry->trigger(); }));
        number->setValue(7);
        receipts->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
        QVERIFY(finishes(receipts, [&] { entry->trigger(); }));
        QCOMPARE(number->value(), 100);
        QCOMPARE(server().requestsTo("PUT", "globals/ReceiptNumber").size(), 2);
    }

    void failedLoadKeepsTheFieldsAndForbidsSaving_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("kind");
        for (const char *document : {"OrganizationInfo", "CheckoutHour", "ReceiptNumber"}) {
            QTest::addRow("%s, 500", document) << document << int(StandIn::FailureKind::Status);
            QTest::addRow("%s, not JSON", document) << document << int(StandIn::FailureKind::NotJson);
            QTest::addRow("%s, failure envelope", document) << document << int(StandIn::FailureKind::OkFalse);
        }
    }

    void failedLoadKeepsTheFieldsAndForbidsSaving()
    {
        QFETCH(QString, document);
        QFETCH(int, kind);
        RawViewWidget *form = forms[document];
        const QString path = "globals/" + document;
        QVERIFY(finishes(form, [&] { form->handleUpdate(); }));
        QVERIFY(saveControl(form)->isEnabled());
        const QStringList loaded = fields(form);

        StandIn::Failure failure;
        failure.kind = StandIn::FailureKind(kind);
        failure.body = R"({"message": "Internal"})";  // an object, but not the document
        server().injectFailure("GET", path, failure);
        if (failure.kind == StandIn::FailureKind::Status)
            MessageBox::setNextAnswer(QMessageBox::Ok);  // the transport's "Request failed"
        QVERIFY(finishes(form, [&] { form->handleUpdate(); }));
        QCOMPARE(fields(form), loaded);
        QVERIFY(!saveControl(form)->isEnabled());

        server().clearFailures();
        QVERIFY(finishes(form, [&] { form->handleUpdate(); }));
        QVERIFY(saveControl(form)->isEnabled());
    }
};

LOMI_TEST_CLASS(GlobalFormsTest)

#include "tst_globalforms.moc"
