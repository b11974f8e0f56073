#include "checkouthourwidget.h"
#include "modalhandler.h"
#include "money.h"
#include "networkmanagerwrapper.h"
#include "personeditdialog.h"
#include "personsviewwidget.h"
#include "previewdialog.h"
#include "receipteditdialog.h"
#include "receiptfields.h"
#include "receiptsjournalwidget.h"
#include "selectoredit.h"
#include "simpleviewwidget.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>

using namespace StaysTest;
using ReportEngine::PreviewDialog;
using StandIn::Failure;
using StandIn::FailureKind;

// The stays, payments, receipts and rented items of the person card, worked
// through its buttons against the stand-in server.
class CardFlowsTest : public StaysTestBase
{
    Q_OBJECT

    std::unique_ptr<PersonEditDialog> card;

    QTableView *table(const char *name) { return child<QTableView>(card.get(), name); }
    QString label(const char *name) { return child<QLabel>(card.get(), name)->text(); }
    int idAt(const char *list, int row) { return table(list)->model()->index(row, 0).data().toInt(); }
    void click(const char *name) { button(card.get(), name)->click(); }
    bool clickAndReload(const char *name, const char *list)
    {
        return reloadsAfter(table(list), [&] { click(name); });
    }
    bool doubleClickAndReload(const char *list, const char *reloaded = nullptr)
    {
        QTableView *view = table(list);
        return reloadsAfter(table(reloaded ? reloaded : list),
                            [&] { emit view->doubleClicked(view->model()->index(0, 3)); });
    }
    QJsonObject lastBody(const QByteArray &method, const QString &path)
    {
        const auto requests = server().requestsTo(method, path);
        return requests.isEmpty() ? QJsonObject() : requests.last().json().object();
    }
    // Every request but the reads, as "VERB path[ (no body)]".
    QStringList writes()
    {
        QStringList sent;
        for (const StandIn::Request &request : server().requests()) {
            if (request.method != "GET")
                sent << request.method + ' ' + request.path + (request.body.isEmpty() ? " (no body)" : "");
        }
        return sent;
    }
    static QString printed()
    {
        return PreviewDialog::history().isEmpty() ? QString() : PreviewDialog::history().last().text;
    }

    void initTest() override
    {
        server().loadFixture(fixture());
        QVERIFY(environment().signIn("admin"));
        setTime(QTime(13, 10));
        card = std::make_unique<PersonEditDialog>();
    }
    void cleanupTest() override { card.reset(); }

private slots:
    void registerStayPayAndBill()
    {
        card->setupFromId(-1);
        typeInto(child(card.get(), "fioLineEdit"), "Новиков Илья");
        ModalHandler::acceptNext<AccommodationEditDialog>();
        QVERIFY(clickAndReload("accommodationAddButton", "accommodationTableView"));
        const QJsonObject stay = lastBody("POST", "accommodation");
        const int person = stay.value("personId").toInt();
        QCOMPARE(server().record("persons", person).value("surname"), QJsonValue("Новиков"));
        QCOMPARE(stay, (QJsonObject{{"roomId", 1}, {"rateId", 1}, {"inDate", "2026-06-10T13:00:00.000"},
                                    {"outDate", "2026-06-11T12:00:00.000"}, {"adminId", 1},
                                    {"personId", person}}));
        QCOMPARE(label("totalLabel"), QString("2541.50"));  // 23 hours at 110.50
        QCOMPARE(label("leftLabel"), QString("2541.50"));

        double preset = 0;
        ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
            preset = child<QDoubleSpinBox>(d, "paidSpinBox")->value();
            choose(d, "payTypeSelectorWidget", "pay_type", 1);
            child<QDoubleSpinBox>(d, "paidSpinBox")->setValue(1000);
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(clickAndReload("paymentAddButton", "paymentsTableView"));
        QCOMPARE(preset, 2541.5);
        QVERIFY(server().requestsTo("GET", "pay_type").last().query.endsWith(QString("&person=%1").arg(person)));
        QCOMPARE(lastBody("POST", "payments").value("personId"), QJsonValue(person));
        QCOMPARE(label("billNumberLabel"), QString("0301"));
        QVERIFY(!child(card.get(), "billNumberWrapper")->isHidden());
        QCOMPARE(label("leftLabel"), QString("1541.50"));

        PreviewDialog::setNextResult(0);
        click("paymentBillButton");
        QVERIFY(printed().contains("СЧЕТ №301"));
        QVERIFY(printed().contains("Сумма счёта: 2541.50") && printed().contains("К оплате: 1541.50"));

        // An edited payment keeps its own amount, not the balance.
        const int payment = idAt("paymentsTableView", 0);
        ModalHandler::acceptNext<PaymentEditDialog>();
        QVERIFY(doubleClickAndReload("paymentsTableView"));
        QCOMPARE(lastBody("PUT", QString("payments/%1").arg(payment)).value("summ"), QJsonValue(1000));

        const int stayId = idAt("accommodationTableView", 0);
        ModalHandler::acceptNext<AccommodationEditDialog>();
        QVERIFY(doubleClickAndReload("accommodationTableView"));
        const QJsonObject put = lastBody("PUT", QString("accommodation/%1").arg(stayId));
        QCOMPARE((QList<QJsonValue>{put["roomId"], put["rateId"], put["days"], put["hours"], put["cost"]}),
                 (QList<QJsonValue>{1, 1, 0, 0, 0}));
        QCOMPARE(label("totalLabel"), QString("2541.50"));

        table("accommodationTableView")->selectRow(0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(clickAndReload("accommodationRemoveButton", "accommodationTableView"));
        QCOMPARE(boxTexts("Вы уверены?"), QStringList{"Удалить запись?"});
        QCOMPARE(writes().last(), QString("DELETE /accommodation/%1 (no body)").arg(stayId));
        QCOMPARE(label("totalLabel"), QString("0.00"));
        QCOMPARE(label("leftLabel"), QString("-1000.00"));
    }

    void receiptWithAnItemAndItsActs()
    {
        card->setupFromId(700);
        ModalHandler::onNextDialog<ReceiptEditDialog>([&](ReceiptEditDialog *d) {
            choose(d, "serviceSelectorWidget", "extra_services", 3);
            choose(d, "propertySelectorWidget", "properties", 2);
            ReceiptFields::selectPayType(child<QComboBox>(d, "pay_type"), 1);  // cash: numbered
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(clickAndReload("extraServiceAddButton", "extraServicesTableView"));
        QCOMPARE(lastBody("POST", "receipts").value("personId"), QJsonValue(700));
        const int receipt = idAt("extraServicesTableView", 0);
        QAbstractItemModel *property = table("propertyTableView")->model();
        QCOMPARE(property->rowCount(), 1);
        QCOMPARE(property->index(0, 2).data().toString() + property->index(0, 4).data().toString(),
                 QString("41Чайник"));

        ModalHandler::onNextDialog<PropertyReceiveDialog>([](PropertyReceiveDialog *d) {
            child<QCheckBox>(d, "receivedCheckBox")->setChecked(true);
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(doubleClickAndReload("propertyTableView", "extraServicesTableView"));
        QCOMPARE(lastBody("POST", QString("receipts/%1/property").arg(receipt)).value("receiptId"),
                 QJsonValue(receipt));
        QCOMPARE(property->index(0, 6).data().toString(), QString("Админ"));

        // The acts read the receipt, not the item.
        table("propertyTableView")->selectRow(0);
        server().clearRequests();
        PreviewDialog::setNextResult(0);
        PreviewDialog::setNextResult(0);
        click("propertyAct1Button");
        click("propertyAct2Button");
        QStringList read;
        for (const StandIn::Request &request : server().requests())
            read << request.path;
        QCOMPARE(read, QStringList(2, QString("/receipts/%1").arg(receipt)));

        fillIn(card.get(), "fioLineEdit", "Орлов Пётр Ильич (не сохранено)");
        table("extraServicesTableView")->selectRow(0);
        PreviewDialog::setNextResult(0);
        click("extraServiceReceiptButton");
        QVERIFY(printed().contains("Орлов Пётр Ильич (не сохранено)"));

        table("extraServicesTableView")->clearSelection();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        click("extraServiceAddServiceButton");
        QCOMPARE(boxTexts("Внимание"), QStringList{"Выделите услугу."});
        table("extraServicesTableView")->selectRow(0);
        ModalHandler::onNextDialog<ReceiptEditDialog>([&](ReceiptEditDialog *d) {
            choose(d, "serviceSelectorWidget", "extra_services", 1);
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(clickAndReload("extraServiceAddServiceButton", "extraServicesTableView"));
        QCOMPARE(lastBody("POST", "receipts").value("number"), QJsonValue(41));

        // The return's copy lends nothing: the item keeps its one row.
        table("extraServicesTableView")->selectRow(0);
        QVERIFY(clickAndReload("extraServiceReturnButton", "extraServicesTableView"));
        QCOMPARE(writes().last(), QString("POST /receipts/%1/return (no body)").arg(receipt));
        QCOMPARE(table("extraServicesTableView")->model()->rowCount(), 3);
        QCOMPARE(property->rowCount(), 1);
    }

    void paidEducation()
    {
        card->setupFromId(700);
        ModalHandler::onNextDialog<PaidEducationReceiptEditDialog>([&](PaidEducationReceiptEditDialog *d) {
            choose(d, "curriculumSelectorWidget", "curriculums", 2);
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(clickAndReload("paidEduReceiptAddButton", "paidEducationTableView"));
        QCOMPARE(lastBody("POST", "paid_education_receipts").value("personId"), QJsonValue(700));
        const int receipt = idAt("paidEducationTableView", 0);
        ModalHandler::acceptNext<PaidEducationReceiptEditDialog>();
        QVERIFY(doubleClickAndReload("paidEducationTableView"));
        table("paidEducationTableView")->selectRow(0);
        QVERIFY(clickAndReload("paidEduReceiptReturnButton", "paidEducationTableView"));
        table("paidEducationTableView")->selectRow(0);
        PreviewDialog::setNextResult(0);
        click("paidEduReceiptPrintButton");
        QVERIFY(printed().contains("Пожарная безопасность"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(clickAndReload("paidEduReceiptRemoveButton", "paidEducationTableView"));

        const QString path = QString("/paid_education_receipts/%1").arg(receipt);
        QCOMPARE(writes(), (QStringList{"POST /paid_education_receipts", "PUT " + path,
                                        "POST " + path + "/return (no body)", "DELETE " + path + " (no body)"}));
        QCOMPARE(shownIds(table("paidEducationTableView")), QList<int>{receipt + 1});  // the return's copy
    }

    // The sale prints positive and its return negative, in figures and in words.
    void aPaidEducationReturnPrintsAsARefund()
    {
        const int sale = server().addRecord("paid_education_receipts", {{"personId", 700}, {"payTypeId", 1},
                                                                        {"curriculumId", 2}, {"summ", 15000}});
        card->setupFromId(700);
        QTableView *view = table("paidEducationTableView");
        QVERIFY(selectId(view, sale));
        QVERIFY(clickAndReload("paidEduReceiptReturnButton", "paidEducationTableView"));
        QCOMPARE(shownIds(view).size(), 2);
        for (const int row : shownIds(view)) {
            QVERIFY(selectId(view, row));
            PreviewDialog::setNextResult(0);
            click("paidEduReceiptPrintButton");
            QVERIFY(printed().contains("15000.00"));
            QCOMPARE(printed().contains("-15000.00"), row != sale);
            QCOMPARE(printed().contains("минус"), row != sale);
        }
    }

    void propertyRowsComeFromLendingReceipts()
    {
        const QJsonObject iron{{"id", 1}, {"name", "Утюг"}}, cash{{"id", 1}, {"attribute", 1}};
        const QJsonArray receipts{
            QJsonObject{{"id", 1}, {"payType", cash}},
            QJsonObject{{"id", 2}, {"payType", cash}, {"property", QJsonValue::Null}},
            QJsonObject{{"id", 3}, {"payType", cash}, {"property", QJsonObject()}},
            QJsonObject{{"id", 4}, {"payType", QJsonObject{{"attribute", -1}}}, {"property", iron}},
            QJsonObject{{"id", 5}, {"property", iron}},
            QJsonObject{{"id", 6}, {"payType", cash}, {"property", iron}}};
        server().injectFailure("GET", "persons/700/receipts",
                               Failure{FailureKind::Status, 200, QJsonDocument(receipts).toJson()});
        card->setupFromId(700);
        QTableView *property = table("propertyTableView");
        QCOMPARE(shownIds(property), (QList<int>{5, 6}));
        QVERIFY(property->isColumnHidden(0));

        property->selectRow(0);
        QVERIFY(button(card.get(), "propertyAct1Button")->isEnabled());
        click("refreshPushButton");
        QVERIFY(!button(card.get(), "propertyAct1Button")->isEnabled());
        QVERIFY(!button(card.get(), "propertyAct2Button")->isEnabled());
    }

    // Nothing may be added to a person the server has not taken.
    void anUnsavedCardAddsNothing()
    {
        card->setupFromId(-1);
        typeInto(child(card.get(), "fioLineEdit"), "Новиков Илья");
        server().injectFailure("POST", "persons", Failure{});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        click("accommodationAddButton");
        card->addPayment();
        card->addReceipt();
        card->addReceiptTo(QModelIndex());
        card->addPaidEducationReceipt();
        card->createBill();
        QCOMPARE(writes(), QStringList{"POST /persons"});
        QCOMPARE(fieldText(card.get(), "fioLineEdit"), QString("Новиков Илья"));
    }

    // A refused record comes back in its dialog as typed, until saved or cancelled.
    void aRefusedStayComesBackAsTyped()
    {
        card->setupFromId(700);
        server().injectFailure("GET", "rooms", Failure{FailureKind::OkFalse, 200, {}, 1});
        server().injectFailure("POST", "accommodation", Failure{FailureKind::Status, 500, Failure().body, 2});
        QList<QJsonObject> shown;
        auto attempt = [&](std::function<void(AccommodationEditDialog *)> change) {
            ModalHandler::onNextDialog<AccommodationEditDialog>([&, change](AccommodationEditDialog *d) {
                change(d);
                shown << d->getJson().object();
                press(d, QDialogButtonBox::Ok);
            });
        };
        attempt([](AccommodationEditDialog *d) { child<QDateEdit>(d, "dateOutEdit")->setDate({2026, 6, 15}); });
        attempt([](AccommodationEditDialog *d) {
            child<QComboBox>(d, "numComboBox")->setCurrentIndex(1);
            child<QComboBox>(d, "rateComboBox")->setCurrentIndex(1);
        });
        attempt([](AccommodationEditDialog *) {});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        click("accommodationAddButton");
        QCOMPARE(boxesTitled("Request failed").size(), 2);  // the 422 of room 0, then the 500
        const auto posts = server().requestsTo("POST", "accommodation");
        QCOMPARE(posts.size(), 3);
        QCOMPARE(posts.first().json()["roomId"], QJsonValue(0));
        QCOMPARE(posts.first().json()["rateId"], QJsonValue(0));
        QCOMPARE(posts.at(1).json().object(), posts.at(2).json().object());
        QCOMPARE((QList<QJsonValue>{shown.at(2)["roomId"], shown.at(2)["rateId"], shown.at(2)["outDate"]}),
                 (QList<QJsonValue>{2, 5, "2026-06-15T12:00:00.000"}));
        QTRY_COMPARE(table("accommodationTableView")->model()->rowCount(), 1);
    }

    void aRefusedPaymentKeepsItsAmountAndTheBillNumber_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::newRow("an error status") << int(FailureKind::Status) << "Request failed";
        QTest::newRow("a refusal sent as a success") << int(FailureKind::OkFalse) << "Ошибка";
    }

    void aRefusedPaymentKeepsItsAmountAndTheBillNumber()
    {
        QFETCH(int, kind);
        QFETCH(QString, box);
        card->setupFromId(700);
        server().injectFailure("POST", "payments", Failure{FailureKind(kind), 500, Failure().body, 1});
        QString numberWhileRefused;
        double amountShownAgain = 0;
        ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
            QTRY_COMPARE(child<SelectorEdit>(d, "payTypeSelectorWidget")->getDisplayValue(),
                         QString("Контракт Альфы"));
            child<QDoubleSpinBox>(d, "paidSpinBox")->setValue(700);
            press(d, QDialogButtonBox::Ok);
        });
        ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
            numberWhileRefused = label("billNumberLabel");
            amountShownAgain = child<QDoubleSpinBox>(d, "paidSpinBox")->value();
            press(d, QDialogButtonBox::Ok);
        });
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(clickAndReload("paymentAddButton", "paymentsTableView"));
        QCOMPARE(boxesTitled(box).size(), 1);
        QCOMPARE(numberWhileRefused, QString("0000"));
        QCOMPARE(amountShownAgain, 700.0);
        QCOMPARE(label("billNumberLabel"), QString("0301"));
        QCOMPARE(writes(), QStringList(2, "POST /payments"));
    }

    void anAnswerOvertakenByANewerRequestIsDropped_data()
    {
        QTest::addColumn<QString>("path");  // the list's, whose first load answers late
        QTest::addColumn<QString>("older");  // what the first answer shows: rows, or the hour
        QTest::addColumn<QString>("newer");  // what the second request leaves
        QTest::newRow("the card's payments") << "persons/700/payments" << "1" << "2";
        QTest::newRow("a directory") << "organizations" << "2" << "3";
        QTest::newRow("the persons' year") << "persons" << "1" << "2";
        QTest::newRow("the persons' date") << "persons" << "1" << "0";
        QTest::newRow("a journal's year") << "receipts/journal" << "1" << "2";
        // A reload, then a new hour saved before the reload's answer comes.
        QTest::newRow("the checkout hour") << "globals/CheckoutHour" << "12:00" << "14:00";
    }

    // Two loads of one list, the first answered after the second: the list
    // ends showing the second's rows, whenever the first comes.
    void anAnswerOvertakenByANewerRequestIsDropped()
    {
        QFETCH(QString, path);
        QFETCH(QString, older);
        QFETCH(QString, newer);
        const QString list = QTest::currentDataTag();
        for (const auto &[surname, created] : {std::pair{"Прошлогодний", "2025-03-01T10:00:00.000"},
                                               std::pair{"Нынешний", "2026-03-01T10:00:00.000"}})
            server().addRecord("persons", {{"surname", surname}, {"created", created}});
        server().addRecord("accommodation", {{"personId", 700}, {"roomId", 1}, {"rateId", 1},
                                             {"inDate", "2026-06-09T12:00:00.000"},
                                             {"outDate", "2026-06-11T12:00:00.000"}});
        for (const char *paid : {"2025-05-01T00:00:00.000", "2026-05-01T00:00:00.000", "2026-05-02T00:00:00.000"})
            server().addRecord("receipts", {{"personId", 700}, {"extraServiceId", 1}, {"amount", 1},
                                            {"payTypeId", 1}, {"payDate", paid}});

        // The list's window, loaded once, and how it asks for the first rows, then the second.
        std::unique_ptr<QWidget> window;
        std::function<void(int)> ask;
        const auto pick = [](QComboBox *years, const char *year) {
            years->setCurrentIndex(years->findText(QString::fromLatin1(year)));
        };
        if (list == "the card's payments") {
            card->setupFromId(700);
            window.reset(card.release());
            ask = [this, &window](int which) {
                ModalHandler::onNextDialog<PaymentEditDialog>([=](PaymentEditDialog *d) {
                    choose(d, "payTypeSelectorWidget", "pay_type", 1);
                    child<QDoubleSpinBox>(d, "paidSpinBox")->setValue(which == 0 ? 700 : 300);
                    press(d, QDialogButtonBox::Ok);
                });
                button(window.get(), "paymentAddButton")->click();
            };
        } else if (list == "a directory") {
            auto *directory = SimpleViewWidget::Builder::create()
                                  ->withEndpoint("organizations")
                                  ->withHeaders({{"ID", "id"}, {"Название", "name"}})
                                  ->build();
            window.reset(directory);
            ask = [this, directory](int which) {
                if (which == 1) {
                    // Once the first request has been read on the server.
                    QTRY_VERIFY(!server().requestsTo("GET", "organizations").isEmpty());
                    server().addRecord("organizations", {{"name", "Гамма"}, {"code", "C"}});
                }
                directory->handleUpdate();
            };
        } else if (list == "the checkout hour") {
            auto *hour = new CheckoutHourWidget;
            window.reset(hour);
            ask = [=](int which) {
                if (which == 0)
                    return hour->handleUpdate();
                child<QTimeEdit>(hour, "timeEdit")->setTime(QTime(14, 0));
                QCOMPARE(hour->save(), NetworkManagerWrapper::Outcome::Done);
            };
        } else if (list == "a journal's year") {
            auto *journal = new ReceiptsJournalWidget;
            window.reset(journal);
            child<QCheckBox>(journal, "yearFilterCheckBox")->setChecked(true);
            ask = [=](int which) { pick(child<QComboBox>(journal, "yearComboBox"), which == 0 ? "2025" : "2026"); };
        } else {
            auto *persons = new PersonsViewWidget;
            window.reset(persons);
            const bool byDate = list == "the persons' date";
            child<QCheckBox>(persons, "yearFilterEnabledCheckBox")->setChecked(!byDate);
            child<QCheckBox>(persons, "dateFilterEnabledCheckBox")->setChecked(byDate);
            ask = [=](int which) {
                if (byDate)
                    child<QDateEdit>(persons, "dateEdit")->setDate(QDate(2026, 6, which == 0 ? 9 : 20));
                else
                    pick(child<QComboBox>(persons, "yearFilterComboBox"), which == 0 ? "2025" : "2026");
            };
        }
        QTableView *view = window->findChild<QTableView *>(list == "the card's payments" ? "paymentsTableView" : "tableView");
        const auto shown = [&] {
            return view ? QString::number(view->model()->rowCount())
                        : child<QTimeEdit>(window.get(), "timeEdit")->time().toString("HH:mm");
        };
        if (list.contains("year") || list.contains("date")) {
            QSignalSpy loaded(view->model(), &QAbstractItemModel::modelReset);
            QMetaObject::invokeMethod(window.get(), "handleUpdate");
            QVERIFY(loaded.wait(5000));
        }
        const int late = 800;
        server().injectFailure("GET", path, {FailureKind::Delay, 200, {}, 1, late});
        ask(0);
        ask(1);
        QTRY_COMPARE(shown(), newer);
        QVERIFY(newer != older);
        QTest::qWait(late + 400);  // the first answer has come by now
        QCOMPARE(shown(), newer);
    }

    void moneyComesOnlyFromWhatWasRead_data()
    {
        QTest::addColumn<int>("kind");  // the failure of the list read
        QTest::newRow("payments unread: an error status") << int(FailureKind::Status);
        QTest::newRow("payments unread: not JSON") << int(FailureKind::NotJson);
        QTest::newRow("payments unread: no answer") << int(FailureKind::NoReply);
        // The item and the service come from lists that take their time.
        QTest::newRow("a rented item's editor before its lists") << int(FailureKind::Delay);
        QTest::newRow("a receipt's editor without the pay types") << int(FailureKind::Status);
        QTest::newRow("a bill, payments unread") << int(FailureKind::Status);
        QTest::newRow("a bill, stays unread") << int(FailureKind::NotJson);
        // Service 4 lasts until the check-out.
        QTest::newRow("a receipt until check-out, stays unread") << int(FailureKind::Status);
        // Signed in again as himself: the card reads its lists again.
        QTest::newRow("a receipt until check-out, stays read again") << int(FailureKind::Delay);
        QTest::newRow("an existing receipt until check-out, stays unread") << int(FailureKind::Status);
    }

    // A balance is shown, or offered as an amount, and a bill or a receipt's
    // end is made, only from lists that were read; an editor writes the
    // record's references as the record had them until their lists come, or
    // when they never do.
    void moneyComesOnlyFromWhatWasRead()
    {
        QFETCH(int, kind);
        const QString tag = QTest::currentDataTag();
        const auto timeout = qScopeGuard([] { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); });
        NetworkManagerWrapper::setTransferTimeoutForTesting(400);
        card = std::make_unique<PersonEditDialog>();  // its lists with the short time-out
        if (tag.startsWith("payments") || tag.startsWith("a bill") || tag.contains("check-out")) {
            server().addRecord("accommodation", {{"personId", 700}, {"roomId", 1}, {"rateId", 1},
                                                 {"inDate", "2026-06-09T12:00:00.000"},
                                                 {"outDate", "2026-06-11T12:00:00.000"}, {"cost", 2400}});
            server().addRecord("payments", {{"personId", 700}, {"summ", 100}, {"payTypeId", 1},
                                            {"payDate", "2026-06-09T00:00:00.000"}});
            const QString unread = "persons/700/" + QString(tag.contains("stays") ? "accommodation" : "payments");
            if (tag.startsWith("an existing")) {
                const int late = server().addRecord(
                    "receipts", {{"personId", 700}, {"number", 43}, {"extraServiceId", 4}, {"payTypeId", 1},
                                 {"amount", 1}, {"startDate", "2026-06-10T09:00:00.000"},
                                 {"endDate", "2026-06-11T12:00:00.000"}, {"payDate", "2026-06-10T00:00:00.000"}});
                server().injectFailure("GET", unread, {FailureKind(kind), 500, {}, 1});
                card->setupFromId(700);
                // Its pay type alone changed, once its service is known to
                // last until check-out: its end stands as stored.
                ModalHandler::onNextDialog<ReceiptEditDialog>([this](ReceiptEditDialog *d) {
                    QTRY_VERIFY(!child<QLabel>(d, "rate_state")->text().isEmpty());
                    ReceiptFields::selectPayType(child<QComboBox>(d, "pay_type"), 2);
                    press(d, QDialogButtonBox::Ok);
                });
                QTableView *view = table("extraServicesTableView");
                doubleClick(view, view->model()->index(rowOf(view, late), 1));
                const QJsonObject sent = lastBody("PUT", QString("receipts/%1").arg(late));
                QCOMPARE(sent["payTypeId"], QJsonValue(2));
                QCOMPARE(sent["endDate"], QJsonValue("2026-06-11T12:00:00.000"));
                return;
            }
            if (tag.contains("check-out")) {
                const bool again = tag.contains("read again");
                if (again) {
                    // A line slow enough to type a receipt before the stays come.
                    NetworkManagerWrapper::setTransferTimeoutForTesting(30000);
                    card = std::make_unique<PersonEditDialog>();
                    card->setupFromId(700);
                    card->show();
                }
                server().injectFailure("GET", unread, {FailureKind(kind), 500, {}, 1, again ? 3000 : 0});
                if (again)
                    QVERIFY(environment().signIn("admin"));
                else
                    card->setupFromId(700);
                QCOMPARE(label("totalLabel"), QString("нет данных: проживание не загружено"));
                // The editor says why, and comes back until it is cancelled,
                // or until stays that come in meanwhile give it its end.
                MessageBox::setNextAnswer(QMessageBox::Ok);
                ModalHandler::onNextDialog<ReceiptEditDialog>([this](ReceiptEditDialog *d) {
                    choose(d, "serviceSelectorWidget", "extra_services", 4);
                    press(d, QDialogButtonBox::Ok);
                });
                ModalHandler::onNextDialog<ReceiptEditDialog>([&](ReceiptEditDialog *d) {
                    if (!again)
                        return d->reject();
                    QTRY_COMPARE_WITH_TIMEOUT(child<QDateEdit>(d, "dat_end")->date(), QDate(2026, 6, 11), 20000);
                    press(d, QDialogButtonBox::Ok);
                });
                click("extraServiceAddButton");
                QCOMPARE(boxTexts("Ошибка").size(), 1);
                QVERIFY2(boxTexts("Ошибка").first().startsWith("Проживание не загружено"),
                         qPrintable(boxTexts("Ошибка").first()));
                QCOMPARE(server().requestsTo("POST", "receipts").size(), again ? 1 : 0);
                if (again)
                    QCOMPARE(lastBody("POST", "receipts")["endDate"], QJsonValue("2026-06-11T12:00:00.000"));
                return;
            }
            card->setupFromId(700);
            QCOMPARE(label("leftLabel"), Money::format(2300.0));
            if (tag.startsWith("a bill")) {
                server().injectFailure("GET", unread, {FailureKind(kind), 500, {}, 1});
                if (kind == int(FailureKind::Status))
                    MessageBox::setNextAnswer(QMessageBox::Ok);  // the transport's
                MessageBox::setNextAnswer(QMessageBox::Ok);
                click("paymentBillButton");
                QVERIFY(PreviewDialog::history().isEmpty());
                const QString told = QString("Счёт не сформирован: не удалось загрузить %1.")
                                         .arg(tag.contains("stays") ? "проживание" : "оплаты");
                QVERIFY2(boxTexts("Документ не сформирован").value(0).startsWith(told),
                         qPrintable(boxTexts("Документ не сформирован").value(0)));
                return;
            }
            // The list read before the payment goes is served; the reload after it is not.
            server().injectFailure("GET", "persons/700/payments", {FailureKind(kind), 500, "<html>", 2});
            ModalHandler::onNextDialog<PaymentEditDialog>([this](PaymentEditDialog *d) {
                choose(d, "payTypeSelectorWidget", "pay_type", 1);
                child<QDoubleSpinBox>(d, "paidSpinBox")->setValue(200);
                press(d, QDialogButtonBox::Ok);
            });
            click("paymentAddButton");
            QTRY_COMPARE(label("leftLabel"), QString("нет данных: оплаты не загружены"));
            QCOMPARE(label("totalLabel"), Money::format(2400.0));
            QString offered = "?";
            ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
                offered = child<QDoubleSpinBox>(d, "paidSpinBox")->text();
                QCOMPARE(child<QDoubleSpinBox>(d, "paidSpinBox")->value(), 0.0);
                d->reject();
            });
            click("paymentAddButton");
            QCOMPARE(offered, QString());
            // Until a read succeeds.
            click("refreshPushButton");
            QCOMPARE(label("leftLabel"), Money::format(2100.0));
            return;
        }

        const int lent = server().addRecord(
            "receipts", {{"personId", 700}, {"number", 41}, {"extraServiceId", 3}, {"propertyId", 2},
                         {"payTypeId", 1}, {"amount", 1}, {"startDate", "2026-06-10T09:00:00.000"},
                         {"endDate", "2026-06-11T09:00:00.000"}, {"payDate", "2026-06-10T00:00:00.000"}});
        card->setupFromId(700);
        card->show();
        QVERIFY(QTest::qWaitForWindowExposed(card.get()));
        const bool late = kind == int(FailureKind::Delay);
        if (late) {
            for (const char *list : {"extra_services", "extra_services/3/property"})
                server().injectFailure("GET", list, {FailureKind::Delay, 200, {}, 0, 1500});
        } else {
            server().injectFailure("GET", "pay_type", {FailureKind::Status, 500, {}, 1});
            MessageBox::setNextAnswer(QMessageBox::Ok);
        }
        QStringList shown;
        ModalHandler::onNextDialog<ReceiptEditDialog>([&](ReceiptEditDialog *d) {
            for (const char *field : {"serviceSelectorWidget", "propertySelectorWidget"})
                shown << child<SelectorEdit>(d, field)->getDisplayValue();
            if (late)
                child<QSpinBox>(d, "amount")->setValue(2);
            press(d, QDialogButtonBox::Ok);
        });
        QTableView *view = table("extraServicesTableView");
        doubleClick(view, view->model()->index(rowOf(view, lent), 1));
        QCOMPARE(shown, (QStringList{"Прокат", "Чайник"}));
        const QJsonObject sent = lastBody("PUT", QString("receipts/%1").arg(lent));
        QCOMPARE(sent["extraServiceId"], QJsonValue(3));
        QCOMPARE(sent["propertyId"], QJsonValue(2));
        QCOMPARE(sent["payTypeId"], QJsonValue(1));
        QCOMPARE(sent["number"], QJsonValue(41));
        QCOMPARE(server().record("receipts", lent)["propertyId"], QJsonValue(2));
    }

    void aRowIsReadAtTheClickNotAfterAWait_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("sent");  // what the second receipt's click sends
        QTest::newRow("an extra-service receipt edited") << "receipts" << "PUT";
        QTest::newRow("a paid-education receipt edited") << "paid_education_receipts" << "PUT";
        QTest::newRow("a service added to a receipt's number") << "receipts" << "POST";
    }

    // Of three receipts the first is deleted; on a slow line the clerk
    // double-clicks the second (or adds a service to it) as soon as the card
    // takes input, and presses OK unchanged. The list comes back while the
    // editor waits for the pay types: what is sent is the second receipt's.
    void aRowIsReadAtTheClickNotAfterAWait()
    {
        QFETCH(QString, list);
        QFETCH(QString, sent);
        const bool education = list == "paid_education_receipts";
        QList<int> ids;
        for (int i : {1, 2, 3}) {
            QJsonObject receipt{{"personId", 700}, {"number", 100 + i}, {"payTypeId", 1},
                                {"startDate", QString("2026-06-0%1T10:00:00.000").arg(i)},
                                {"endDate", QString("2026-06-0%1T11:00:00.000").arg(i)},
                                {"payDate", QString("2026-06-0%1T00:00:00.000").arg(i)}};
            receipt.insert(education ? "curriculumId" : "extraServiceId", education ? i % 2 + 1 : i);
            receipt.insert("amount", i);
            ids << server().addRecord(list, receipt);
        }
        card->setupFromId(700);
        card->show();
        QVERIFY(QTest::qWaitForWindowExposed(card.get()));
        QTableView *view = table(education ? "paidEducationTableView" : "extraServicesTableView");
        QCOMPARE(shownIds(view), ids);

        server().injectFailure("GET", "persons/700/" + list, {FailureKind::Delay, 200, {}, 1, 300});
        server().injectFailure("GET", "pay_type", {FailureKind::Delay, 200, {}, 1, 900});
        view->selectRow(0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        click(education ? "paidEduReceiptRemoveButton" : "extraServiceRemoveButton");
        const QPoint second = view->visualRect(view->model()->index(1, 1)).center();
        if (sent == "PUT") {
            ModalHandler::onNextDialog<EditDialog>([](EditDialog *editor) { press(editor, QDialogButtonBox::Ok); });
            // As the window system sends a double click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, second);
        } else {
            ModalHandler::onNextDialog<ReceiptEditDialog>([this](ReceiptEditDialog *editor) {
                choose(editor, "serviceSelectorWidget", "extra_services", 1);
                press(editor, QDialogButtonBox::Ok);
            });
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
            click("extraServiceAddServiceButton");
        }

        const auto writes = server().requestsTo(sent.toLatin1(), sent == "PUT" ? QString("%1/%2").arg(list).arg(ids[1]) : list);
        QCOMPARE(writes.size(), 1);
        const QJsonObject body = writes.first().json().object();
        QCOMPARE(body["number"], QJsonValue(102));
        if (sent == "PUT") {
            QCOMPARE(body[education ? "curriculumId" : "extraServiceId"], server().record(list, ids[1])[education ? "curriculumId" : "extraServiceId"]);
            QCOMPARE(body["startDate"].toString().left(10), QString("2026-06-02"));
        }
        QCOMPARE(server().record(list, ids[2])["number"], QJsonValue(103));
    }
};

LOMI_TEST_CLASS(CardFlowsTest)

#include "tst_cardflows.moc"
