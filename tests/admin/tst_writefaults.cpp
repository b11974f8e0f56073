#include "testregistry.h"

#include "admintesting.h"
#include "checkouthourwidget.h"
#include "extraservicesviewwidget.h"
#include "organizationinfowidget.h"
#include "receiptnumerationdialog.h"
#include "requesttablemodel.h"
#include "roomsviewwidget.h"
#include "userswidget.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>

#include <memory>

namespace {

enum Fault { Refused422, OkFalse, NoAnswer, LateAnswer };

// One write path as a user drives it: `run` types `typed`, sends it and
// answers the failure's boxes; when the editor comes back it notes what the
// editor holds and sends it once more (`again`) or cancels. It returns what
// the editor held then, null when it never came back.
struct Path
{
    QByteArray method;
    QString path;  // the write that fails, once
    bool creates;
    std::function<QString(const QString &typed, bool comesBack, bool again)> run;
    // How many records on the server hold `typed`.
    std::function<int(const QString &typed)> stored;
};

const QString reason = QStringLiteral("Проверка сервера: поле неверно");

}  // namespace

// Every window's write against a refusal, silence and a late answer: the
// user is told, what was typed is not lost, and one more OK stores it once.
class WriteFaultsTest : public AdminTestBase
{
    Q_OBJECT

    QMap<QString, RawViewWidget *> windows;
    QWidget *districts = nullptr;

    template<class T>
    T *open(const char *action)
    {
        auto *opened = openWindow<T>(action);
        windows[QString::fromLatin1(action)] = opened;
        return opened;
    }

    int count(const QString &collection, const QString &key, const QString &typed)
    {
        int found = 0;
        for (const QJsonValue &row : server().collection(collection))
            found += row.toObject().value(key).toVariant().toString() == typed;
        return found;
    }

    // A path whose editor is a modal dialog shown by `start`.
    static std::function<QString(const QString &, bool, bool)> viaDialog(
        std::function<void()> start, std::function<void(QDialog *, const QString &)> fill,
        std::function<QString(QDialog *)> read)
    {
        return [=](const QString &typed, bool comesBack, bool again) {
            auto kept = std::make_shared<QString>();
            ModalHandler::enqueue("editor", [=](QDialog *dialog) {
                if (qobject_cast<QMessageBox *>(dialog))
                    return false;
                fill(dialog, typed);
                press(dialog, QDialogButtonBox::Ok);
                return true;
            });
            if (comesBack) {
                ModalHandler::enqueue("editor back", [=](QDialog *dialog) {
                    if (qobject_cast<QMessageBox *>(dialog))
                        return false;
                    *kept = read(dialog);
                    press(dialog, again ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
                    return true;
                });
            }
            start();
            return *kept;
        };
    }

    static std::function<QString(const QString &, bool, bool)> viaEditor(
        std::function<void()> start, const char *field, const char *extra = nullptr)
    {
        return viaDialog(
            start,
            [=](QDialog *dialog, const QString &typed) {
                fillIn(dialog, field, typed);
                if (extra)
                    fillIn(dialog, extra, "пароль");
            },
            [=](QDialog *dialog) { return fieldText(dialog, field); });
    }

    // A one-document window: its form stays as it is whatever the answer.
    Path viaForm(const char *action, const QString &global, std::function<void(const QString &)> type,
                 std::function<QString()> read, std::function<QString()> storedValue)
    {
        const QString name = QString::fromLatin1(action);
        auto run = [=](const QString &typed, bool, bool again) {
            RawViewWidget *form = windows.value(name);
            type(typed);
            saveOf(form)->click();
            const QString kept = form->isHidden() ? QString() : read();
            if (again)
                saveOf(form)->click();
            else if (auto *box = form->findChild<QDialogButtonBox *>())
                box->button(QDialogButtonBox::Cancel)->click();
            return kept;
        };
        return {"PUT", "globals/" + global, false, run,
                [=](const QString &typed) { return int(storedValue() == typed); }};
    }

    static QPushButton *saveOf(RawViewWidget *form)
    {
        if (auto *box = form->findChild<QDialogButtonBox *>("buttonBox"))
            return box->button(QDialogButtonBox::Ok);
        return button(form, "saveButton");
    }

    template<class T>
    T *find(const char *action, const char *child)
    {
        return windows.value(QString::fromLatin1(action))->findChild<T *>(QString::fromLatin1(child));
    }

    QTableView *table(const char *action, const char *view) { return find<QTableView>(action, view); }

    QMap<QString, Path> paths()
    {
        const auto click = [](QWidget *window, const char *name, QTableView *view = nullptr, int id = 0) {
            return [=] {
                if (view)
                    QVERIFY(selectId(view, id));
                button(window, name)->click();
            };
        };
        auto *users = windows.value("usersAction");
        auto *rooms = windows.value("roomsAction");
        auto *services = windows.value("extraServicesAction");
        QTableView *usersView = table("usersAction", "usersTableView");
        const auto districtsNamed = [this](const QString &t) { return count("districts", "name", t); };
        const auto usersNamed = [this](const QString &t) { return count("users", "name", t); };

        QMap<QString, Path> all;
        all["directory add"] = {"POST", "districts", true,
                                viaEditor(click(districts, "addButton"), "nameLineEdit"), districtsNamed};
        all["directory copy"] = {"POST", "districts", true,
                                 viaEditor(click(districts, "copyButton", tableOf(districts), 1), "nameLineEdit"),
                                 districtsNamed};
        all["directory edit"] = {"PUT", "districts/2", false,
                                 viaEditor(click(districts, "editButton", tableOf(districts), 2), "nameLineEdit"),
                                 districtsNamed};
        all["user add"] = {"POST", "users", true,
                           viaEditor(click(users, "addButton"), "fullnameLineEdit", "passwordLineEdit"),
                           usersNamed};
        all["user copy"] = {"POST", "users", true,
                            viaEditor(click(users, "copyButton", usersView, 3), "fullnameLineEdit"), usersNamed};
        all["user edit"] = {"PUT", "users/2", false,
                            viaEditor(click(users, "editButton", usersView, 2), "fullnameLineEdit"), usersNamed};
        all["room copy"] = {"POST", "rooms", true,
                            viaEditor(click(rooms, "copyButton", table("roomsAction", "roomsTableView"), 1),
                                      "numLineEdit"),
                            [this](const QString &t) { return count("rooms", "number", t); }};
        // A copy of a service takes its three items along, after a lost answer too.
        all["service copy"] = {
            "POST", "extra_services", true,
            viaEditor(
                [=] {
                    services->findChild<QCheckBox *>("inheritPropertyCheckButton")->setChecked(true);
                    click(services, "copyButton", table("extraServicesAction", "extraServicesTableView"), 1)();
                },
                "nameLineEdit"),
            [this](const QString &t) {
                int found = 0;
                for (const QJsonValue &row : server().collection("extra_services"))
                    found += row["name"] == t && row["propertyIds"].toArray().size() == 3;
                return found;
            }};
        // The rate typed is the one picked; room 5 has only rate 3.
        all["rate link"] = {
            "POST", "rooms/5/rates", true,
            viaDialog(click(rooms, "addRateButton", table("roomsAction", "roomsTableView"), 5),
                      [](QDialog *picker, const QString &typed) {
                          auto *view = picker->findChild<QTableView *>("tableView");
                          QTRY_VERIFY(rowOf(view, typed.toInt()) >= 0);
                          view->selectRow(rowOf(view, typed.toInt()));
                      },
                      [](QDialog *picker) {
                          auto *view = picker->findChild<QTableView *>("tableView");
                          // Chosen again once the picker's list is in.
                          const auto chosen = [view] {
                              return view->selectionModel()->selectedRows().value(0).data().toString();
                          };
                          if (!QTest::qWaitFor([&] { return chosen() == "1"; }))
                              return QString();
                          return chosen();
                      }),
            [this](const QString &t) {
                return int(server().record("rooms", 5)["rateIds"].toArray().contains(t.toInt()));
            }};
        // Typed in place: after the failure the cell's editor opens again
        // holding the text, and Return sends it.
        all["rv in place"] = {
            "PUT", "users/2", false,
            [=](const QString &typed, bool, bool again) {
                const QModelIndex cell = usersView->model()->index(rowOf(usersView, 2), 4);
                usersView->setCurrentIndex(cell);
                usersView->edit(cell);
                QLineEdit *editor = openEditor(usersView);
                if (!editor)
                    return QString("<no editor>");
                editor->setText(typed);
                QSignalSpy loads(&managerOf(users), &QNetworkAccessManager::finished);
                QTest::keyClick(editor, Qt::Key_Return);
                if (!QTest::qWaitFor([&] { return loads.size() > 0 && openEditor(usersView); }))
                    return QString();
                const QString kept = openEditor(usersView)->text();
                QTest::keyClick(openEditor(usersView), again ? Qt::Key_Return : Qt::Key_Escape);
                // Return commits once the key's handling is over.
                return QTest::qWaitFor([&] { return !openEditor(usersView); }) ? kept : QString();
            },
            [this](const QString &t) { return int(server().record("users", 2)["rv"] == t); }};
        all["receipt numbering"] = viaForm(
            "receiptNumAction", "ReceiptNumber",
            [this](const QString &typed) {
                QVERIFY(finishes(windows["receiptNumAction"],
                                 [this] { window->findChild<QAction *>("receiptNumAction")->trigger(); }));
                find<QSpinBox>("receiptNumAction", "spinBox")->setValue(typed.toInt());
            },
            [this] { return find<QSpinBox>("receiptNumAction", "spinBox")->text(); },
            [this] { return QString::number(server().global("ReceiptNumber").toInt() + 1); });
        all["organization details"] = viaForm(
            "orgInfoAction", "OrganizationInfo",
            [this](const QString &typed) { fillIn(windows["orgInfoAction"], "nameLineEdit", typed); },
            [this] { return fieldText(windows["orgInfoAction"], "nameLineEdit"); },
            [this] { return server().global("OrganizationInfo")["name"].toString(); });
        all["checkout hour"] = viaForm(
            "payHourAction", "CheckoutHour",
            [this](const QString &typed) {
                find<QTimeEdit>("payHourAction", "timeEdit")->setTime(QTime::fromString(typed, "hh:mm:ss"));
            },
            [this] { return find<QTimeEdit>("payHourAction", "timeEdit")->time().toString("hh:mm:ss"); },
            [this] { return server().global("CheckoutHour").toString(); });
        return all;
    }

    // The cell editor the users' list has open, or null.
    static QLineEdit *openEditor(QTableView *view)
    {
        for (QLineEdit *editor : view->viewport()->findChildren<QLineEdit *>()) {
            if (!editor->isHidden())
                return editor;
        }
        return nullptr;
    }

    void initTest() override
    {
        server().loadFixture(StandIn::Server::demoFixturePath());
        for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
            if (it.key() != "receiptNumAction")
                QVERIFY(finishes(it.value(), [&] { it.value()->handleUpdate(); }));
        }
        QVERIFY(reloadsAfter(districts, [this] { button(districts, "refreshButton")->click(); }));
    }

private slots:
    void initTestCase()
    {
        // Before any manager exists: each takes the time-out it is built with.
        NetworkManagerWrapper::setTransferTimeoutForTesting(1000);
        QVERIFY(startSignedIn());
        districts = openList(window.get(), "districtsAction");
        QVERIFY(districts);
        for (RawViewWidget *opened :
             {static_cast<RawViewWidget *>(open<UsersWidget>("usersAction")),
              static_cast<RawViewWidget *>(open<RoomsViewWidget>("roomsAction")),
              static_cast<RawViewWidget *>(open<ExtraServicesViewWidget>("extraServicesAction")),
              static_cast<RawViewWidget *>(open<OrganizationInfoWidget>("orgInfoAction")),
              static_cast<RawViewWidget *>(open<CheckoutHourWidget>("payHourAction"))})
            QVERIFY(opened);
        window->findChild<QAction *>("receiptNumAction")->trigger();
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *receipts = qobject_cast<ReceiptNumerationDialog *>(top))
                windows["receiptNumAction"] = receipts;
        }
        QVERIFY(windows["receiptNumAction"]);
    }

    void cleanupTestCase() { NetworkManagerWrapper::setTransferTimeoutForTesting(60000); }

    void failedWritesKeepTheInputAndStoreOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("typed");
        const QMap<QString, QString> typed{{"rate link", "1"},
                                           {"rv in place", "77"},
                                           {"receipt numbering", "500"},
                                           {"checkout hour", "09:15:00"}};
        const char *faults[] = {"422", "Ok false", "no answer", "late answer"};
        for (const QString &path : paths().keys()) {
            for (int fault = Refused422; fault <= LateAnswer; ++fault)
                QTest::addRow("%s, %s", qPrintable(path), faults[fault])
                    << path << fault << typed.value(path, "Проверка записи");
        }
    }

    // After a refusal the editor comes back holding what was typed; one
    // more OK then stores it once, a cancel not at all. Without an answer
    // a new record is looked for: found, the user is told it was stored
    // and nothing is sent again.
    void failedWritesKeepTheInputAndStoreOnce()
    {
        QFETCH(QString, path);
        QFETCH(int, fault);
        QFETCH(QString, typed);
        const Path write = paths().value(path);

        StandIn::Failure failure;
        failure.onlyCall = 1;
        failure.kind = QList<StandIn::FailureKind>{StandIn::FailureKind::Status, StandIn::FailureKind::OkFalse,
                                                   StandIn::FailureKind::NoReply,
                                                   StandIn::FailureKind::Delay}[fault];
        failure.status = 422;
        failure.body = QJsonDocument(QJsonObject{{"Ok", false}, {"message", reason}}).toJson();
        failure.delayMs = fault == LateAnswer ? 2000 : 0;
        server().injectFailure(write.method, write.path, failure);

        const bool unanswered = fault == NoAnswer || fault == LateAnswer;
        const bool lookedUp = unanswered && write.creates;
        MessageBox::setNextAnswer(QMessageBox::Ok);
        if (lookedUp)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        const bool comesBack = !(fault == LateAnswer && write.creates);
        const bool again = fault != OkFalse;

        const QString kept = write.run(typed, comesBack, again);

        if (fault == OkFalse) {
            QCOMPARE(boxTexts("Ошибка"), QStringList{"Сервер не сохранил запись: Injected failure"});
        } else {
            QCOMPARE(boxesTitled("Request failed").size(), 1);
            if (fault == Refused422)
                QVERIFY(boxTexts("Request failed").value(0).endsWith("\n" + reason));
        }
        if (lookedUp)
            QVERIFY(boxTexts("Сохранение").value(0).contains(fault == LateAnswer ? "запись сохранена"
                                                                                  : "не сохранена"));
        QCOMPARE(kept, comesBack ? typed : QString());
        QCOMPARE(write.stored(typed), again ? 1 : 0);
        // One write, and one more only after the editor came back.
        QCOMPARE(server().requestsTo(write.method, write.path).size(), comesBack && again ? 2 : 1);
    }
};

LOMI_TEST_CLASS(WriteFaultsTest)

#include "tst_writefaults.moc"
