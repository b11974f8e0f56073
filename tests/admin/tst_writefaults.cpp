#include "testregistry.h"

#include "admintesting.h"
#include "roomeditdialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// LateUnread: a late answer, and the list read after it fails once.
// From ListRefused on, the list read just before a create is refused (401),
// left unanswered or sent to another origin, and the create is not sent.
enum Fault { Refused, OkFalse, NoAnswer, LateAnswer, LateUnread, ListRefused, ListSilent, ListMoved };
const QString reason = QStringLiteral("Проверка сервера: поле неверно");

// A write as the user makes it: in the window opened by `action`, select
// record `id` of `view`, press `button` and type into `field` of the editor
// it opens; with no editor, into the window itself, which `button` saves.
struct Path
{
    QByteArray method;
    QString path;
    const char *action, *view;
    int id;
    const char *button, *field;
    bool dialog, creates;
    std::function<int(const QString &typed)> stored;  // records holding `typed`
};

}  // namespace

// Every window's write against a refusal, silence and a late answer: the
// user is told, what was typed is not lost, and one more OK stores it once.
class WriteFaultsTest : public AdminTestBase
{
    Q_OBJECT

    QMap<QString, QWidget *> windows;  // by their entry

    std::function<int(const QString &)> count(const QString &collection, const QString &key, int links = 0)
    {
        return [=](const QString &typed) {
            int found = 0;
            for (const QJsonValue &row : server().collection(collection))
                found += row[key].toVariant().toString() == typed && row["propertyIds"].toArray().size() >= links;
            return found;
        };
    }

    QMap<QString, Path> paths()
    {
        return {
            {"directory add", {"POST", "districts", "districtsAction", "", 0, "addButton", "nameLineEdit", true, true, count("districts", "name")}},
            {"directory edit", {"PUT", "districts/2", "districtsAction", "tableView", 2, "editButton", "nameLineEdit", true, false, count("districts", "name")}},
            {"user copy", {"POST", "users", "usersAction", "usersTableView", 3, "copyButton", "fullnameLineEdit", true, true, count("users", "name")}},
            {"user edit", {"PUT", "users/2", "usersAction", "usersTableView", 2, "editButton", "fullnameLineEdit", true, false, count("users", "name")}},
            {"room copy", {"POST", "rooms", "roomsAction", "roomsTableView", 1, "copyButton", "numLineEdit", true, true, count("rooms", "number")}},
            // The copy takes the service's three items along, after a lost answer too.
            {"service copy", {"POST", "extra_services", "extraServicesAction", "extraServicesTableView", 1, "copyButton", "nameLineEdit", true, true, count("extra_services", "name", 3)}},
            {"rate link", {"POST", "rooms/5/rates", "roomsAction", "roomsTableView", 5, "addRateButton", "tableView", true, true,
                           [this](const QString &t) { return int(server().record("rooms", 5)["rateIds"].toArray().contains(t.toInt())); }}},
            {"rv in place", {"PUT", "users/2", "usersAction", "usersTableView", 2, "", "", false, false, count("users", "rv")}},
            {"receipt numbering", {"PUT", "globals/ReceiptNumber", "receiptNumAction", "", 0, "", "spinBox", false, false,
                                   [this](const QString &t) { return int(server().global("ReceiptNumber").toInt() + 1 == t.toInt()); }}},
            {"organization details", {"PUT", "globals/OrganizationInfo", "orgInfoAction", "", 0, "saveButton", "nameLineEdit", false, false,
                                      [this](const QString &t) { return int(server().global("OrganizationInfo")["name"] == t); }}},
        };
    }

    // The form's field: a number, a picker's choice, the users' cell typed
    // in place, or a line edit.
    static void type(QWidget *form, const char *field, const QString &text)
    {
        auto *users = qobject_cast<QTableView *>(form);
        if (auto *number = form->findChild<QSpinBox *>(field))
            number->setValue(text.toInt());
        else if (auto *picker = form->findChild<QTableView *>(field))
            QVERIFY(QTest::qWaitFor([&] { return selectId(picker, text.toInt()); }));
        else if (!users)
            fillIn(form, field, text);
        else {
            users->setCurrentIndex(users->model()->index(rowOf(users, 2), 4));
            users->edit(users->currentIndex());
            cellEditor(users)->setText(text);
        }
    }

    // What the field holds, once it holds `expected` or after a while (a
    // picker and a cell come back once the list is in).
    static QString held(QWidget *form, const char *field, const QString &expected)
    {
        const auto read = [=] {
            if (auto *number = form->findChild<QSpinBox *>(field))
                return number->text();
            if (auto *picker = form->findChild<QTableView *>(field))
                return picker->selectionModel()->selectedRows().value(0).data().toString();
            if (auto *users = qobject_cast<QTableView *>(form))
                return cellEditor(users) ? cellEditor(users)->text() : QString();
            return fieldText(form, field);
        };
        (void)QTest::qWaitFor([&] { return read() == expected; });
        return read();
    }

    // Saves the window's form (`ok`) or leaves it.
    void send(QWidget *form, const char *buttonName, bool ok)
    {
        if (auto *users = qobject_cast<QTableView *>(form)) {
            const auto key = [=] { QTest::keyClick(cellEditor(users), ok ? Qt::Key_Return : Qt::Key_Escape); };
            // A committed cell is written after the commit, and the list reloaded after the write.
            if (ok)
                QVERIFY(finishes(static_cast<RawViewWidget *>(windows["usersAction"]), key));
            else
                key();
            QVERIFY(ok || QTest::qWaitFor([&] { return !cellEditor(users); }));
        } else if (auto *box = form->findChild<QDialogButtonBox *>()) {
            box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        } else if (ok) {
            button(form, buttonName)->click();
        }
    }

    void initTest() override
    {
        server().loadFixture(StandIn::Server::demoFixturePath());
        for (QWidget *shown : std::as_const(windows))
            if (auto *list = qobject_cast<RawViewWidget *>(shown); list && !list->isHidden())
                QVERIFY(finishes(list, [=] { list->handleUpdate(); }));
        QWidget *districts = windows["districtsAction"];
        QVERIFY(reloadsAfter(districts, [=] { button(districts, "refreshButton")->click(); }));
    }

private slots:
    // The time-out is set before any manager is built: each keeps the one
    // it was built with.
    void initTestCase()
    {
        NetworkManagerWrapper::setTransferTimeoutForTesting(1000);
        QVERIFY(startSignedIn());
        windows["districtsAction"] = openList(window.get(), "districtsAction");
        for (const char *action : {"usersAction", "roomsAction", "extraServicesAction", "orgInfoAction"})
            windows[action] = openWindow<RawViewWidget>(action);
        window->findChild<QAction *>("receiptNumAction")->trigger();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->windowTitle() == "Нумерация квитанций")
                windows["receiptNumAction"] = top;
        for (QWidget *opened : std::as_const(windows))
            QVERIFY(opened);
        windows["extraServicesAction"]->findChild<QCheckBox *>("inheritPropertyCheckButton")->setChecked(true);
    }

    void cleanupTestCase() { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); }

    void failedWritesKeepTheInputAndStoreOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("fault");
        const char *faults[] = {"422", "Ok false", "no answer", "late answer", "late answer, list unread",
                                "list refused before", "list unanswered before", "list moved before"};
        for (const QString &path : paths().keys()) {
            // A link is looked up among the links, any of them its own: its
            // list is not read first.
            const int last = !paths()[path].creates ? LateAnswer : path == "rate link" ? LateUnread : ListMoved;
            for (int fault = Refused; fault <= last; ++fault)
                QTest::addRow("%s, %s", qPrintable(path), faults[fault]) << path << fault;
        }
    }

    // After a failure the editor comes back holding what was typed; one
    // more OK stores it once, a cancel not at all. A new record whose write
    // got no answer is looked for: found, it is not sent again, nor while
    // the list cannot be read.
    void failedWritesKeepTheInputAndStoreOnce()
    {
        QFETCH(QString, path);
        QFETCH(int, fault);
        const Path write = paths().value(path);
        const QString typed = QMap<QString, QString>{{"rate link", "1"}, {"rv in place", "77"}, {"receipt numbering", "500"}}
                                  .value(path, "Проверка записи");
        using Kind = StandIn::FailureKind;
        const bool unsent = fault >= ListRefused;
        server().injectFailure(
            unsent ? "GET" : write.method, write.path,
            {QList<Kind>{Kind::Status, Kind::OkFalse, Kind::NoReply, Kind::Delay, Kind::Delay, Kind::Status,
                         Kind::NoReply, Kind::Redirect}[fault],
             QList<int>{422, 200, 200, 200, 200, 401, 200, 302}[fault],
             QJsonDocument(QJsonObject{{"Ok", false}, {"message", reason}}).toJson(), 1,
             fault == LateAnswer || fault == LateUnread ? 2000 : 0, fault == LateUnread ? write.path : QString(),
             fault == ListMoved ? (otherOrigin().rootUrl() + write.path).toUtf8() : QByteArray()});
        const bool lookedUp = (fault >= NoAnswer) && write.creates && !unsent;
        const bool unread = fault == LateUnread;
        for (int box = 0; box < (unread ? 3 : lookedUp ? 2 : 1); ++box)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        const bool comesBack = !(fault == LateAnswer && write.creates);
        const bool again = fault != OkFalse;

        QWidget *shown = windows[write.action];
        auto *view = shown->findChild<QTableView *>(write.view);
        QVERIFY(!write.id || selectId(view, write.id));
        auto kept = std::make_shared<QString>();
        if (write.dialog) {
            ModalHandler::enqueue("editor", [=](QDialog *editor) {
                type(editor, write.field, typed);
                press(editor, QDialogButtonBox::Ok);
                return true;
            });
            if (comesBack)
                ModalHandler::enqueue("editor back", [=](QDialog *editor) {
                    *kept = held(editor, write.field, typed);
                    press(editor, again ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
                    return true;
                });
            button(shown, write.button)->click();
        } else {
            if (shown->isHidden())  // the receipt numbering closes once saved
                QVERIFY(finishes(static_cast<RawViewWidget *>(shown),
                                 [&] { window->findChild<QAction *>(write.action)->trigger(); }));
            QWidget *form = write.id ? view : shown;
            type(form, write.field, typed);
            send(form, write.button, true);
            *kept = form->isHidden() ? QString() : held(form, write.field, typed);
            send(form, write.button, again);
        }

        QCOMPARE(boxTexts("Ошибка"), fault == OkFalse ? QStringList{"Сервер не сохранил запись: Injected failure"} : QStringList());
        // The list read after a lost answer tells what it could in one box.
        QCOMPARE(boxTexts("Request failed").size(), fault == OkFalse || unsent ? 0 : 1);
        QCOMPARE(boxTexts("Request failed").value(0).endsWith("\n" + reason), fault == Refused);
        if (lookedUp)
            QVERIFY(boxTexts("Сохранение").value(0).contains(fault == LateAnswer ? "запись сохранена"
                                                             : unread ? "не удалось" : "не сохранена"));
        // Not sent; the editor comes back for another OK.
        if (unsent)
            QCOMPARE(boxTexts("Сохранение").value(0).left(21), QString("Запись не отправлена:"));
        QCOMPARE(*kept, comesBack ? typed : QString());
        QCOMPARE(write.stored(typed), again ? 1 : 0);
        // One write, and one more only after the editor came back for a
        // record the server does not hold.
        QCOMPARE(server().requestsTo(write.method, write.path).size(), comesBack && again && !unread && !unsent ? 2 : 1);
    }

    // A copy whose write got no answer is looked for among the rows the list
    // did not hold: the copied room, hidden by a search, is not that record.
    void aRowHiddenBySearchIsNoNewRecord()
    {
        QWidget *rooms = windows["roomsAction"];
        server().injectFailure("POST", "rooms", {StandIn::FailureKind::NoReply, 200, {}, 1});
        QVERIFY(selectId(rooms->findChild<QTableView *>("roomsTableView"), 1));
        auto *search = rooms->findChild<QLineEdit *>("searchLineEdit");
        ModalHandler::enqueue("copy", [=](QDialog *editor) {
            search->setText("нет такого");
            press(editor, QDialogButtonBox::Ok);
            return true;
        });
        ModalHandler::rejectNext<RoomEditDialog>();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        button(rooms, "copyButton")->click();
        search->clear();
        QVERIFY(boxTexts("Сохранение").value(0).contains("не сохранена"));
        QCOMPARE(server().requestsTo("POST", "rooms").size(), 1);
    }
};

LOMI_TEST_CLASS(WriteFaultsTest)

#include "tst_writefaults.moc"
