#include "modalhandler.h"
#include "networkmanagerwrapper.h"
#include "personeditdialog.h"
#include "personsviewwidget.h"
#include "positioneditdialog.h"
#include "preloaderwidget.h"
#include "receiptfields.h"
#include "simpleviewwidget.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>

using namespace StaysTest;
using StandIn::Failure;
using StandIn::FailureKind;

namespace {

const int timeoutMs = 400;
const int lentReceipt = 900, educationReceipt = 901;

// LateUnread: a late answer, and the list read after it fails once;
// CheckRefused: refused, as a sign-in ended by the server's restart. Moved:
// a 301 to the path with a slash, which a write does not follow. From
// LateAnswer on, the server stores the record and its answer is lost (behind
// a gateway too); Twin: the connection closed, and the same record stored by
// another clerk meanwhile. Followed: a 307 to the path with a slash, where
// the write is stored. SeeOther: stored, answered with a 303, and the check
// refused. UnreadEqual: no answer, with the card's list unread and a record
// like the one typed stored meanwhile; ShownEqual: the same with the list
// read. Unaddressed: a 307 naming no address. SeeOtherSelf: a 303 to the
// write's own address, with nothing stored. From BeforeRefused on, the list
// read just before the write is refused (401), left unanswered or sent to
// another origin, and the write is not sent.
enum Fault { Refused422, RefusedOkFalse, NoAnswer, Moved, LateAnswer, LateUnread, CheckRefused, Closed, Reset,
             CutOff, BadGateway, GatewayTimeout, Twin, Followed, SeeOther, UnreadEqual, Unaddressed, ShownEqual,
             SeeOtherSelf, BeforeRefused, BeforeSilent, BeforeMoved };
const char *const faultNames[] = {"422 with a message", "200 {Ok: false}", "no answer", "moved for good",
                                  "late answer", "late answer, list unread", "late answer, check refused",
                                  "connection closed",
                                  "connection reset", "answer cut off", "502 after storing",
                                  "504 after storing", "connection closed, a twin stored meanwhile",
                                  "307 to the path with a slash", "303 after storing, check refused",
                                  "no answer, list unread, an equal one stored", "307 without an address",
                                  "no answer, list read, an equal one stored since", "303 to itself",
                                  "list refused before", "list unanswered before", "list moved before"};

bool unsentFirst(int fault)
{
    return fault >= BeforeRefused;
}

Failure failureOf(int fault, const QString &path = QString())
{
    const QByteArray proxyPage = "<html><body><h1>Bad Gateway</h1>nginx</body></html>";
    switch (fault) {
    case Refused422:
        return {FailureKind::Status, 422, R"({"Ok": false, "message": "Проверка сервера: поле неверно"})", 1};
    case RefusedOkFalse:
        return {FailureKind::OkFalse, 200, {}, 1};
    case NoAnswer:
    case UnreadEqual:
    case ShownEqual:
    case BeforeSilent:
        return {FailureKind::NoReply, 200, {}, 1};
    case BeforeRefused:
        return {FailureKind::Status, 401, Failure().body, 1};
    case BeforeMoved:
        return {FailureKind::Redirect, 302, {}, 1, 0, {}, "http://elsewhere.example/" + path.toUtf8()};
    case SeeOther:
        return {FailureKind::Gateway, 303, {}, 1, 0, {}, "/" + path.toUtf8() + "/"};
    case SeeOtherSelf:
        return {FailureKind::Redirect, 303, {}, 1, 0, {}, "/" + path.toUtf8()};
    case LateAnswer:
    case LateUnread:
    case CheckRefused:
        return {FailureKind::Delay, 200, {}, 1, 3 * timeoutMs};
    case Reset:
        return {FailureKind::Reset, 200, {}, 1};
    case CutOff:
        return {FailureKind::CutOff, 200, {}, 1};
    case BadGateway:
    case GatewayTimeout:
        return {FailureKind::Gateway, fault == BadGateway ? 502 : 504, proxyPage, 1};
    case Unaddressed:
        return {FailureKind::Redirect, 307, {}, 1};
    case Moved:
    case Followed:
        return {FailureKind::Redirect, fault == Moved ? 301 : 307, {}, 1, 0, {}, "/" + path.toUtf8() + "/"};
    default:
        return {FailureKind::Closed, 200, {}, 1};
    }
}

}  // namespace

// The person card's writes against a server that refuses, stays silent or
// answers too late: the user is told once, what was typed comes back, and
// one more OK never makes a second record.
class CardWriteFaultsTest : public StaysTestBase
{
    Q_OBJECT

    std::unique_ptr<PersonEditDialog> card;
    // What another desk stores in the collection `twinPath` begins with as
    // the next POST to it is stored.
    QString twinPath;
    QJsonObject twin;

    void storeAlongside(const QString &path, const QJsonObject &record)
    {
        if (twinPath.isNull())
            server().afterWrite([this](const StandIn::Write &write) {
                if (!twin.isEmpty() && write.request.method == "POST" && write.parts.join('/') == twinPath)
                    server().addRecord(write.parts.first(), std::exchange(twin, {}));
            });
        twinPath = path;
        twin = record;
    }

    struct WritePath
    {
        const char *name;
        const char *button;      // on the card; none: the property row's double click
        const char *selectIn;    // the list whose first row is selected first
        const char *path;        // what the write posts to
        const char *collection;  // where its records go; none: the lent receipt is handed back
        std::function<void(CardWriteFaultsTest *, EditDialog *)> type;
    };

    static const QList<WritePath> &paths()
    {
        using T = CardWriteFaultsTest;
        static const QList<WritePath> all{
            {"stay", "accommodationAddButton", nullptr, "accommodation", "accommodation",
             [](T *, EditDialog *d) { child<QDateEdit>(d, "dateOutEdit")->setDate({2026, 6, 15}); }},
            {"payment", "paymentAddButton", nullptr, "payments", "payments", [](T *t, EditDialog *d) {
                 t->choose(d, "payTypeSelectorWidget", "pay_type", 1);
                 child<QDoubleSpinBox>(d, "paidSpinBox")->setValue(700);
             }},
            {"receipt", "extraServiceAddButton", nullptr, "receipts", "receipts", [](T *t, EditDialog *d) {
                 t->choose(d, "serviceSelectorWidget", "extra_services", 3);
                 t->choose(d, "propertySelectorWidget", "properties", 2);
                 ReceiptFields::selectPayType(child<QComboBox>(d, "pay_type"), 1);
             }},
            {"receipt to a number", "extraServiceAddServiceButton", "extraServicesTableView", "receipts",
             "receipts", [](T *t, EditDialog *d) { t->choose(d, "serviceSelectorWidget", "extra_services", 1); }},
            {"paid education", "paidEduReceiptAddButton", nullptr, "paid_education_receipts",
             "paid_education_receipts",
             [](T *t, EditDialog *d) { t->choose(d, "curriculumSelectorWidget", "curriculums", 2); }},
            {"property hand-back", nullptr, nullptr, "receipts/900/property", nullptr,
             [](T *, EditDialog *d) { child<QCheckBox>(d, "receivedCheckBox")->setChecked(true); }},
        };
        return all;
    }

    int rowsWith(const QString &collection, const char *key, const QJsonValue &value)
    {
        int count = 0;
        for (const QJsonValue &row : server().collection(collection))
            count += row[key] == value ? 1 : 0;
        return count;
    }

    // The look-up fails first: "cannot tell", then found on the next OK.
    static bool checkFailsFirst(int fault) { return fault == LateUnread || fault == CheckRefused || fault == SeeOther; }

    // Queues an answer to each box a failed write shows, to be checked after
    // it; `retried` where the editor comes back for another OK.
    QStringList expectBoxes(int fault, const QString &lookUp, bool retried = true)
    {
        if (fault == Followed)
            return {};
        QStringList titles{unsentFirst(fault) ? lookUp : fault == RefusedOkFalse ? "Ошибка" : "Request failed"};
        if (checkFailsFirst(fault) && retried)
            titles << lookUp;
        if (fault >= NoAnswer && !unsentFirst(fault) && !lookUp.isEmpty())
            titles << lookUp;
        for (int i = 0; i < titles.size(); ++i)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        return titles;
    }

    void checkBoxes(const QStringList &titles, int fault)
    {
        QStringList shown;
        for (const MessageBox::Record &box : MessageBox::history())
            shown << box.title;
        QCOMPARE(shown, titles);
        // Answered with a status that told nothing, the write is not told
        // as one the server left unanswered.
        const QString late = "Сервер не ответил вовремя, но", lost = "Сервер не ответил, и",
                      told = "Ответ сервера не сказал, принят ли запрос, ", unsent = "перед отправкой не удалось: сервер ";
        const QString says[] = {"\nПроверка сервера: поле неверно", "Сервер не сохранил запись: Injected failure", lost,
                                ": сервер отправил запрос по другому адресу, ", late, late, late, late, late, late,
                                told + "но", told + "но", "нашлось несколько", "", told + "но", lost,
                                "Сервер ответил перенаправлением без адреса, и", lost, told + "и",
                                unsent + "отказал в проверке (Injected failure). ", unsent + "не ответил за 0.4 с. ",
                                unsent + "отправил запрос по другому адресу, http://elsewhere.example/"};
        // The transport's box for a write without an answer gives Qt's reason.
        if (fault < NoAnswer || titles.size() > 1 || unsentFirst(fault))
            QVERIFY2(MessageBox::history().last().text.contains(says[fault]),
                     qPrintable(MessageBox::history().last().text));
    }

    void initTest() override
    {
        setTime(QTime(9, 0));
        server().loadFixture(fixture());
        QVERIFY(environment().signIn("admin"));
        server().addRecord("receipts", {{"id", lentReceipt}, {"personId", 700}, {"number", 41},
                                        {"extraServiceId", 3}, {"propertyId", 1}, {"payTypeId", 1},
                                        {"amount", 1}, {"startDate", "2026-06-10T09:00:00.000"},
                                        {"endDate", "2026-06-11T09:00:00.000"}});
        server().addRecord("paid_education_receipts",
                           {{"id", educationReceipt}, {"personId", 700}, {"number", 42}, {"curriculumId", 2},
                            {"payTypeId", 1}, {"startDate", "2026-06-10T00:00:00.000"},
                            {"endDate", "2026-06-20T00:00:00.000"}});
        NetworkManagerWrapper::setTransferTimeoutForTesting(timeoutMs);
        card = std::make_unique<PersonEditDialog>();
    }
    void cleanupTest() override { card.reset(); }

private slots:
    void aFailedWriteKeepsWhatWasTypedAndStoresOnce_data()
    {
        QTest::addColumn<int>("path");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("cancel");
        for (int p = 0; p < paths().size(); ++p) {
            for (int fault : {Refused422, RefusedOkFalse, NoAnswer, Moved, LateAnswer, LateUnread, CheckRefused,
                              Closed, Reset, CutOff, BadGateway, GatewayTimeout, Followed, SeeOther, Unaddressed,
                              SeeOtherSelf})
                QTest::addRow("%s, %s", paths().at(p).name, faultNames[fault]) << p << fault << false;
            if (paths().at(p).collection && !paths().at(p).selectIn) {
                for (int fault : {UnreadEqual, ShownEqual})
                    QTest::addRow("%s, %s", paths().at(p).name, faultNames[fault]) << p << fault << false;
            }
            // A write whose list the look-up reads goes only once it was read.
            if (paths().at(p).collection) {
                for (int fault : {BeforeRefused, BeforeSilent, BeforeMoved})
                    QTest::addRow("%s, %s", paths().at(p).name, faultNames[fault]) << p << fault << false;
            }
            QTest::addRow("%s, refused, then cancelled", paths().at(p).name) << p << int(Refused422) << true;
            // The hand-back writes into its one receipt: it has no twin.
            if (paths().at(p).collection)
                QTest::addRow("%s, %s", paths().at(p).name, faultNames[Twin]) << p << int(Twin) << true;
        }
    }

    void aFailedWriteKeepsWhatWasTypedAndStoresOnce()
    {
        QFETCH(int, path);
        QFETCH(int, fault);
        QFETCH(bool, cancel);
        const WritePath &write = paths().at(path);
        // The card's own list is not read.
        if (fault == UnreadEqual)
            server().injectFailure("GET", QString("persons/700/") + write.collection, {FailureKind::Status, 500, {}, 1});
        card->setupFromId(700);
        auto stored = [&] {
            return write.collection ? rowsWith(write.collection, "personId", 700)
                                    : rowsWith("receipts", "receiverId", 1);
        };
        const int before = stored();
        const QString list = QString("persons/700/") + (write.collection ? write.collection : "receipts");
        const QString failing = unsentFirst(fault) ? list : write.path;
        Failure failure = failureOf(fault, failing);
        if (checkFailsFirst(fault))
            failure.nextReadFails = list;
        failure.nextReadStatus = fault == CheckRefused || fault == SeeOther ? 401 : 500;
        server().injectFailure(unsentFirst(fault) ? "GET" : "POST", failing, failure);
        QJsonObject typed, kept;
        QString cancelShown;
        ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
            write.type(this, d);
            typed = d->getJson().object();
            cancelShown = child<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->text().remove('&');
            QJsonObject twin = typed;
            twin.insert("personId", 700);
            if (fault == UnreadEqual || fault == ShownEqual)
                server().addRecord(write.collection, twin);
            // Stored by another desk as the clerk's write is.
            if (fault == Twin)
                storeAlongside(write.path, twin);
            press(d, QDialogButtonBox::Ok);
        });
        // A write the server stored without answering is not sent again.
        const bool notStored = fault == UnreadEqual || fault == Unaddressed || fault == ShownEqual || fault == SeeOtherSelf;
        const bool storedUnanswered =
            fault >= LateAnswer && !checkFailsFirst(fault) && fault != Twin && !notStored && !unsentFirst(fault);
        const bool sentOnce = (fault >= LateAnswer && fault != Followed && !notStored) || cancel;
        if (!storedUnanswered) {
            ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
                kept = d->getJson().object();
                cancel ? d->reject() : press(d, QDialogButtonBox::Ok);
            });
        }
        const QStringList titles = expectBoxes(fault, "Сохранение");
        if (write.selectIn)
            child<QTableView>(card.get(), write.selectIn)->selectRow(0);
        if (write.button) {
            button(card.get(), write.button)->click();
        } else {
            auto *view = child<QTableView>(card.get(), "propertyTableView");
            emit view->doubleClicked(view->model()->index(0, 3));
        }
        checkBoxes(titles, fault);
        // The box names the buttons as the editor shows them.
        if (fault == Twin)
            QVERIFY2(MessageBox::history().last().text.contains("«" + cancelShown + "»"),
                     qPrintable(MessageBox::history().last().text));
        // The clerk learns where the server pointed.
        if (fault == Moved)
            QVERIFY(MessageBox::history().value(0).text.contains(
                "redirect (HTTP 301) to " + server().rootUrl() + write.path + "/"));
        // The check's refusal is named, and what helps with it, never "not saved".
        if (fault == CheckRefused || fault == SeeOther || fault == BeforeRefused)
            QVERIFY(boxTexts("Сохранение").value(0).contains("(Injected failure). Нажмите «" + cancelShown
                                                            + "» и войдите снова («Сменить пользователя»)"));
        if (!storedUnanswered)
            QCOMPARE(kept, typed);
        // Never as a read: the path with a slash is the same to the stand-in.
        QCOMPARE(server().requestsTo("GET", write.path).size(), 0);
        QCOMPARE(server().requestsTo("POST", write.path).size(), sentOnce ? 1 : 2);
        // Not called saved where two rows hold what was sent, nor where the
        // one the server held before is not known for such: both stay.
        QCOMPARE(stored() - before, fault == Twin || fault == UnreadEqual || fault == ShownEqual ? 2 : cancel ? 0 : 1);
    }

    void theCardKeepsTheTypedPersonAndStoresItOnce_data()
    {
        QTest::addColumn<bool>("creating");
        QTest::addColumn<int>("fault");
        // The clocks on either side of New Year's midnight: the server's
        // "ahead" of the client's, or "behind" it.
        QTest::addColumn<QString>("clock");
        for (bool creating : {true, false}) {
            for (int fault : {Refused422, RefusedOkFalse, NoAnswer, LateAnswer})
                QTest::addRow("%s, %s", creating ? "new" : "existing", faultNames[fault]) << creating << fault << "";
        }
        for (int fault : {LateUnread, BeforeRefused, BeforeSilent, BeforeMoved})
            QTest::addRow("new, %s", faultNames[fault]) << true << fault << "";
        for (const char *clock : {"ahead", "behind"})
            QTest::addRow("new, %s, the server's clock a New Year %s", faultNames[LateAnswer], clock)
                << true << int(LateAnswer) << clock;
    }

    // OK closes the card only once the server took the person.
    void theCardKeepsTheTypedPersonAndStoresItOnce()
    {
        QFETCH(bool, creating);
        QFETCH(int, fault);
        QFETCH(QString, clock);
        const QDateTime lastMinutes(QDate(2026, 12, 31), QTime(23, 55));
        const QDateTime firstMinutes(QDate(2027, 1, 1), QTime(0, 5));
        if (!clock.isEmpty()) {
            Clock::setNow(clock == "ahead" ? lastMinutes : firstMinutes);
            server().setNow(clock == "ahead" ? firstMinutes : lastMinutes);
        }
        card->setupFromId(creating ? -1 : 700);
        fillIn(card.get(), "fioLineEdit", "Новиков Илья Ильич");
        Failure failure = failureOf(fault, "persons");
        failure.nextReadFails = fault == LateUnread ? "persons" : "";
        server().injectFailure(unsentFirst(fault) ? "GET" : creating ? "POST" : "PUT",
                               creating ? "persons" : "persons/700", failure);
        QSignalSpy closed(card.get(), &QDialog::accepted);
        const QStringList titles = expectBoxes(fault, creating ? "Сохранение" : "");
        press(card.get(), QDialogButtonBox::Ok);
        const bool storedUnanswered = creating && fault == LateAnswer;
        QCOMPARE(closed.size(), storedUnanswered ? 1 : 0);
        QCOMPARE(fieldText(card.get(), "fioLineEdit"), QString("Новиков Илья Ильич"));

        // After a list that could not be read, this OK finds the person.
        press(card.get(), QDialogButtonBox::Ok);
        checkBoxes(titles, fault);
        QCOMPARE(rowsWith("persons", "surname", "Новиков"), 1);
        QCOMPARE(server().requestsTo("POST", "persons").size(), creating ? 2 - (fault >= LateAnswer) : 0);
    }

    void anUnknownOutcomeIsSettledOnce_data()
    {
        QTest::addColumn<QString>("then");  // what the clerk does after "could not find out"
        QTest::newRow("a directory's look-up keeps the window busy") << "look";
        QTest::newRow("a payment corrected") << "correct";
        QTest::newRow("a payment typed again after a cancel") << "cancel";
        // Found with another clerk's like it: not called saved.
        QTest::newRow("a payment, and a twin stored meanwhile") << "twin";
        // Its number, left to the server, stays the one the server gave.
        QTest::newRow("a cash receipt corrected") << "correct";
        QTest::newRow("a new person corrected") << "correct";
        // A key the list does not show: the phone.
        QTest::newRow("a new person's phone typed after") << "correct";
        QTest::newRow("a new person typed again after «Обновить»") << "refresh";
        QTest::newRow("a new person typed again in a card opened anew") << "reopen";
    }

    // A create stored without an answer, and the list read after it lost
    // too: the look-up keeps the window busy as the send did, a correction
    // typed then is written into the stored record, and the create stays
    // remembered, whatever becomes of its dialog or card, until a list that
    // was read tells: the record is stored once, holding what was typed last.
    void anUnknownOutcomeIsSettledOnce()
    {
        QFETCH(QString, then);
        const QString tag = QTest::currentDataTag();
        Failure late = failureOf(LateAnswer);
        if (tag.contains("directory")) {
            PositionEditDialog editor;
            std::unique_ptr<SimpleViewWidget> positions(SimpleViewWidget::Builder::create()
                                                            ->withEndpoint("positions")
                                                            ->withEditDialog(&editor)
                                                            ->build());
            server().addRecord("positions", {{"name", "Дежурный"}});
            positions->handleUpdate();
            QTRY_VERIFY(positions->findChild<QTableView *>()->model()->rowCount() > 0);
            // Whether each read of the list found the program busy.
            auto busy = std::make_shared<QList<bool>>();
            server().route("GET", "positions", StandIn::Server::Access::collection(),
                           [this, busy](const StandIn::Request &, const QStringList &) {
                               QWidget *modal = QApplication::activeModalWidget();
                               *busy << (modal && qobject_cast<PreloaderWidget *>(modal));
                               return StandIn::Reply::json(server().collection("positions"));
                           });
            server().injectFailure("POST", "positions", {FailureKind::NoReply, 200, {}, 1});
            ModalHandler::onNextDialog<PositionEditDialog>([](PositionEditDialog *d) {
                fillIn(d, "nameLineEdit", "Вахтёр");
                press(d, QDialogButtonBox::Ok);
            });
            ModalHandler::rejectNext<PositionEditDialog>();
            MessageBox::setNextAnswer(QMessageBox::Ok);
            MessageBox::setNextAnswer(QMessageBox::Ok);
            positions->handleAdd();
            QCOMPARE(boxTexts("Сохранение").size(), 1);
            QTRY_COMPARE(busy->size(), 3);  // the list before the write, the look-up, then the reload
            QCOMPARE(*busy, (QList<bool>{true, true, false}));
            return;
        }

        const bool payment = tag.contains("payment");
        const bool receipt = tag.contains("receipt");
        const QString collection = payment ? "payments" : receipt ? "receipts" : "persons";
        late.nextReadFails = payment || receipt ? "persons/700/" + collection : "persons";
        server().injectFailure("POST", collection, late);
        const int lastNumber = server().global("ReceiptNumber").toInt();
        const QString surname = "Новиков";
        const auto type = [&](QWidget *form, const QString &typed) {
            if (payment) {
                choose(form, "payTypeSelectorWidget", "pay_type", 1);
                child<QDoubleSpinBox>(form, "paidSpinBox")->setValue(typed.toDouble());
            } else if (receipt) {
                choose(form, "serviceSelectorWidget", "extra_services", 1);
                ReceiptFields::selectPayType(child<QComboBox>(form, "pay_type"), 1);  // paid: numbered
                child<QSpinBox>(form, "amount")->setValue(typed.toInt());
            } else {
                fillIn(form, "fioLineEdit", surname + " " + typed);
            }
        };
        const QString first = payment ? "4321.09" : receipt ? "2" : "Илья Ильич";
        const bool phone = tag.contains("phone");
        const QString last = then == "correct" && !phone ? (payment ? "1234.00" : receipt ? "3" : "Илья Петрович") : first;
        // "Request failed" for the write, "could not find out", then what the
        // next OK finds.
        for (int box = 0; box < 3; ++box)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        if (payment || receipt) {
            card->setupFromId(700);
            const char *add = payment ? "paymentAddButton" : "extraServiceAddButton";
            ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
                type(d, first);
                press(d, QDialogButtonBox::Ok);
            });
            ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
                if (then == "cancel")
                    return d->reject();
                if (then == "twin") {
                    for (const QJsonValue row : server().collection(collection))
                        if (row["summ"] == first.toDouble())
                            server().addRecord(collection, row.toObject());  // under a new id
                    ModalHandler::rejectNext<EditDialog>();
                }
                type(d, last);
                press(d, QDialogButtonBox::Ok);
            });
            button(card.get(), add)->click();
            if (then == "cancel") {
                ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
                    type(d, last);
                    press(d, QDialogButtonBox::Ok);
                });
                button(card.get(), add)->click();
            }
        } else {
            card->setupFromId(-1);
            type(card.get(), first);
            button(card.get(), "writePushButton")->click();
            if (then == "refresh") {
                button(card.get(), "refreshPushButton")->click();
            } else if (then == "reopen") {
                card = std::make_unique<PersonEditDialog>();
                card->setupFromId(-1);
            }
            QCOMPARE(fieldText(card.get(), "fioLineEdit"), then == "correct" ? surname + " " + first : QString());
            type(card.get(), last);
            if (phone)
                fillIn(card.get(), "phoneLineEdit", "+7 900 000-00-02");
            button(card.get(), "writePushButton")->click();
        }

        QCOMPARE(boxesTitled("Request failed").size(), 1);
        const QStringList told = boxTexts("Сохранение");
        QCOMPARE(told.size(), 2);
        QVERIFY2(told.at(0).contains("не удалось"), qPrintable(told.at(0)));
        QVERIFY2(told.at(1).contains(then == "correct" ? "Исправления, внесённые после, записаны"
                                     : then == "twin"  ? "нашлось несколько записей"
                                                       : "не ответил вовремя, но"),
                 qPrintable(told.at(1)));
        QCOMPARE(server().requestsTo("POST", collection).size(), 1);
        QList<QJsonObject> stored;
        for (const QJsonValue &row : server().collection(collection)) {
            if (payment || receipt ? row["personId"] == 700 && row["id"] != lentReceipt
                                   : row["surname"] == surname)
                stored << row.toObject();
        }
        QCOMPARE(stored.size(), then == "twin" ? 2 : 1);
        if (payment) {
            QCOMPARE(stored.first()["summ"].toDouble(), last.toDouble());
        } else if (receipt) {
            QCOMPARE(stored.first()["amount"].toInt(), last.toInt());
            // The number the payer may already hold, and no other taken.
            QCOMPARE(stored.first()["number"].toInt(), lastNumber + 1);
            QCOMPARE(server().global("ReceiptNumber").toInt(), lastNumber + 1);
        } else {
            QCOMPARE(stored.first()["name"].toString() + " " + stored.first()["lastname"].toString(), last);
            QCOMPARE(stored.first()["phone"].toString(), phone ? "+7 900 000-00-02" : "");
            QCOMPARE(card->windowTitle(), surname + " " + last);  // the card shows the stored person
        }
    }

    // A return has no dialog: the user learns whether it was made, from what
    // the records carry (the stand-in's link to the sale is not sent), or
    // that the list could not tell; it is not sent twice.
    void anUnansweredReturnIsLookedUp_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("listFails");  // the status of the list read after it; 0: read
        for (int fault : {NoAnswer, LateAnswer}) {
            QTest::addRow("extra service, %s", faultNames[fault]) << "receipts" << fault << 0;
            QTest::addRow("paid education, %s", faultNames[fault]) << "paid_education_receipts" << fault << 0;
        }
        QTest::addRow("extra service, %s", faultNames[BadGateway]) << "receipts" << int(BadGateway) << 0;
        QTest::addRow("extra service, %s", faultNames[Moved]) << "receipts" << int(Moved) << 0;
        QTest::addRow("extra service, list unread") << "receipts" << int(LateAnswer) << 500;
        // Another return of the same service and quantity came meanwhile.
        QTest::addRow("extra service, %s", faultNames[Twin]) << "receipts" << int(Twin) << 0;
        QTest::addRow("paid education, list unread") << "paid_education_receipts" << int(NoAnswer) << 500;
        QTest::addRow("paid education, list refused") << "paid_education_receipts" << int(NoAnswer) << 401;
        QTest::addRow("extra service, %s", faultNames[SeeOther]) << "receipts" << int(SeeOther) << 401;
        QTest::addRow("extra service, %s", faultNames[SeeOtherSelf]) << "receipts" << int(SeeOtherSelf) << 0;
        QTest::addRow("extra service, %s", faultNames[BeforeRefused]) << "receipts" << int(BeforeRefused) << 0;
        QTest::addRow("paid education, %s", faultNames[BeforeSilent]) << "paid_education_receipts"
                                                                      << int(BeforeSilent) << 0;
    }

    void anUnansweredReturnIsLookedUp()
    {
        QFETCH(QString, list);
        QFETCH(int, fault);
        QFETCH(int, listFails);
        const bool education = list == "paid_education_receipts";
        const int receipt = education ? educationReceipt : lentReceipt;
        card->setupFromId(700);
        const QString path = QString("%1/%2/return").arg(list).arg(receipt);
        if (fault == Twin)
            storeAlongside(path, {{"personId", 700}, {"extraServiceId", 3}, {"amount", 1}, {"payTypeId", 4}});
        const QString failing = unsentFirst(fault) ? "persons/700/" + list : path;
        Failure failure = failureOf(fault, failing);
        // The list read after it tells what it could in one box.
        if (listFails) {
            failure.nextReadFails = "persons/700/" + list;
            failure.nextReadStatus = listFails;
        }
        server().injectFailure(unsentFirst(fault) ? "GET" : "POST", failing, failure);
        QStringList titles = expectBoxes(fault, "Возврат", false);
        QTableView *view = child<QTableView>(card.get(), education ? "paidEducationTableView" : "extraServicesTableView");
        view->selectRow(rowOf(view, receipt));
        button(card.get(), education ? "paidEduReceiptReturnButton" : "extraServiceReturnButton")->click();
        if (!listFails)
            checkBoxes(titles, fault);
        // Its reason and what helps with it, never "not made".
        else
            QVERIFY2(boxTexts("Возврат").value(0).contains(listFails == 401 ? "(Injected failure). Войдите снова "
                                                                              "(«Сменить пользователя»)"
                                                                            : "Проверьте список квитанций"),
                     qPrintable(boxTexts("Возврат").value(0)));
        // Not sent before its list was read.
        QCOMPARE(server().requestsTo("POST", path).size(), unsentFirst(fault) ? 0 : 1);
        QCOMPARE(rowsWith(list, "returnOf", receipt), fault >= LateAnswer && !unsentFirst(fault) && fault != SeeOtherSelf);
    }

    // While a payment for 700 waits, the list shows 701 and "Добавить" is
    // clicked again: the payment typed for 700 stays 700's, no second dialog
    // opens, and the card shows 701 once the payment is done with.
    void aWaitingWriteHoldsTheCardOnItsPerson()
    {
        NetworkManagerWrapper::setTransferTimeoutForTesting(5000);  // a refusal, not a silence
        PersonsViewWidget list;
        PersonEditDialog *shared = nullptr;
        connect(&list, &PersonsViewWidget::addingSubwindow, this,
                [&](QWidget *card) { shared = qobject_cast<PersonEditDialog *>(card); });
        list.openDialogForTarget(700);
        QVERIFY(shared);
        Failure late = failureOf(Refused422);
        late.delayMs = 800;
        server().injectFailure("POST", "payments", late);
        int opened = 0, openedDuringTheWait = -1;
        ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
            ++opened;
            choose(d, "payTypeSelectorWidget", "pay_type", 1);
            QTimer::singleShot(200, shared, [&] {
                list.openDialogForTarget(701);
                button(shared, "paymentAddButton")->click();
                openedDuringTheWait = opened;
            });
            press(d, QDialogButtonBox::Ok);
        });
        QString shownOnRetry;
        ModalHandler::onNextDialog<PaymentEditDialog>([&](PaymentEditDialog *d) {
            ++opened;
            shownOnRetry = fieldText(shared, "fioLineEdit");
            press(d, QDialogButtonBox::Ok);
        });
        MessageBox::setNextAnswer(QMessageBox::Ok);
        button(shared, "paymentAddButton")->click();
        QCOMPARE(openedDuringTheWait, 1);
        QCOMPARE(opened, 2);
        QCOMPARE(shownOnRetry, QString("Орлов Пётр Ильич"));
        const auto posts = server().requestsTo("POST", "payments");
        QCOMPARE(posts.size(), 2);
        for (const StandIn::Request &post : posts)
            QCOMPARE(post.json()["personId"], QJsonValue(700));
        QCOMPARE(fieldText(shared, "fioLineEdit"), QString("Гостева Анна"));
    }
};

LOMI_TEST_CLASS(CardWriteFaultsTest)

#include "tst_cardwritefaults.moc"
