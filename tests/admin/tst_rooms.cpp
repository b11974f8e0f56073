#include "testregistry.h"

#include "admintesting.h"
#include "roomeditdialog.h"
#include "roomsviewwidget.h"

#include <QLineEdit>

// The rooms with the rates linked to each.
class RoomsViewTest : public AdminTestBase
{
    Q_OBJECT

    RoomsViewWidget *rooms = nullptr;

    QTableView *table(const char *name) { return rooms->findChild<QTableView *>(name); }
    int selectedRoom()
    {
        const auto rows = table("roomsTableView")->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().data().toInt();
    }
    bool reloadsAfter(const char *buttonName)
    {
        return finishes(rooms, [&] { button(rooms, buttonName)->click(); });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn());
        rooms = openWindow<RoomsViewWidget>("roomsAction");
        QVERIFY(rooms);
    }

    void linkAndUnlinkOnTheThirdRoom()
    {
        QCOMPARE(selectedRoom(), 1);
        QCOMPARE(shownIds(table("ratesTableView")), QList<int>({1, 4}));
        table("roomsTableView")->selectRow(2);
        QCOMPARE(shownIds(table("ratesTableView")), QList<int>({2}));

        QString endpoint;
        QList<int> offered;
        chooseInNextPicker(3, &endpoint, &offered);
        QVERIFY(reloadsAfter("addRateButton"));
        QCOMPARE(endpoint, QString("rooms/3/rates?availableOnly=true"));
        QCOMPARE(offered, QList<int>({1, 3, 4, 5}));
        QCOMPARE(server().requestsTo("POST", "rooms/3/rates").value(0).body, indented({{"rateId", 3}}));
        // The reload selects the first room again.
        QCOMPARE(selectedRoom(), 1);
        QCOMPARE(shownIds(table("ratesTableView")), QList<int>({1, 4}));

        table("roomsTableView")->selectRow(2);
        chooseInNextPicker(2, &endpoint, &offered);
        QVERIFY(reloadsAfter("removeRateButton"));
        QCOMPARE(endpoint, QString("rooms/3/rates?availableOnly=false"));
        QCOMPARE(offered, QList<int>({2, 3}));
        QCOMPARE(server().requestsTo("DELETE", "rooms/3/rates/2").size(), 1);
        QCOMPARE(server().record("rooms", 3).value("rateIds").toArray(), QJsonArray({3}));
    }

    void roomsAreEditedCopiedWithoutLinksAndDeleted()
    {
        table("roomsTableView")->selectRow(1);
        ModalHandler::onNextDialog<RoomEditDialog>([](RoomEditDialog *editor) {
            QCOMPARE(fieldText(editor, "numLineEdit"), QString("102"));
            fillIn(editor, "descLineEdit", "Двухместный, ванна");
            press(editor, QDialogButtonBox::Ok);
        });
        QVERIFY(reloadsAfter("editButton"));
        QCOMPARE(server().record("rooms", 2).value("description"), QJsonValue("Двухместный, ванна"));

        // The first room has two rates; its copy has none.
        const int before = server().collection("rooms").size();
        ModalHandler::onNextDialog<RoomEditDialog>([](RoomEditDialog *editor) {
            fillIn(editor, "numLineEdit", "101А");
            press(editor, QDialogButtonBox::Ok);
        });
        QVERIFY(reloadsAfter("copyButton"));
        const QJsonObject copy = server().collection("rooms").last().toObject();
        QCOMPARE(server().collection("rooms").size(), before + 1);
        QCOMPARE(copy.value("number"), QJsonValue("101А"));
        QCOMPARE(copy.value("rateIds").toArray(), QJsonArray());

        table("roomsTableView")->selectRow(shownIds(table("roomsTableView")).indexOf(copy.value("id").toInt()));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(reloadsAfter("removeButton"));
        QCOMPARE(boxTexts("Вы уверены?"), QStringList{"Удалить запись?"});
        QVERIFY(server().record("rooms", copy.value("id").toInt()).isEmpty());
    }

    void withoutSelectionNothingIsSentAndAnEmptyListEmptiesThePanel()
    {
        auto *search = rooms->findChild<QLineEdit *>("searchLineEdit");
        search->setText("одноместный");  // the search tells case
        QCOMPARE(table("roomsTableView")->model()->rowCount(), 0);
        QCOMPARE(table("ratesTableView")->model()->rowCount(), 0);
        for (const char *name :
             {"editButton", "removeButton", "copyButton", "addRateButton", "removeRateButton"})
            button(rooms, name)->click();
        QVERIFY(server().requests().isEmpty());
        search->setText("Одноместный");
        QCOMPARE(table("roomsTableView")->model()->rowCount(), 2);
        search->clear();

        table("roomsTableView")->selectRow(0);
        QVERIFY(table("ratesTableView")->model()->rowCount() > 0);
        server().setCollection("rooms", {});
        QVERIFY(finishes(rooms, [&] { rooms->handleUpdate(); }));
        QCOMPARE(table("ratesTableView")->model()->rowCount(), 0);
    }
};

LOMI_TEST_CLASS(RoomsViewTest)

#include "tst_rooms.moc"
