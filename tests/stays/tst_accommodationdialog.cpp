#include "accommodationeditdialog.h"
#include "modalhandler.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QDateEdit>

using namespace StaysTest;

class AccommodationDialogTest : public StaysTestBase
{
    Q_OBJECT

    std::unique_ptr<AccommodationEditDialog> dialog;

    QJsonObject sent() const { return dialog->getJson().object(); }

    // Runs the dialog; `inside` sees it filled, then OK is pressed.
    void runAndAccept(const std::function<void(AccommodationEditDialog *)> &inside = {})
    {
        ModalHandler::onNextDialog<AccommodationEditDialog>([inside](AccommodationEditDialog *d) {
            if (inside)
                inside(d);
            press(d, QDialogButtonBox::Ok);
        });
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    }

    void initTest() override
    {
        dialog = std::make_unique<AccommodationEditDialog>();
        StaysTestBase::initTest();
    }

private slots:
    void proposedTimes_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("person");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("10:29:59.5 drops its seconds") << QTime(10, 29, 59, 500) << -1
                                                      << "2026-06-10T10:00:00.000" << "2026-06-10T12:00:00.000";
        QTest::newRow("10:30 rounds up") << QTime(10, 30) << -1
                                         << "2026-06-10T11:00:00.000" << "2026-06-10T12:00:00.000";
        QTest::newRow("23:45 is midnight") << QTime(23, 45) << -1
                                           << "2026-06-11T00:00:00.000" << "2026-06-11T12:00:00.000";
        // A proposal never has the check-out at the check-in itself.
        QTest::newRow("at the checkout hour") << QTime(12, 0) << -1
                                              << "2026-06-10T12:00:00.000" << "2026-06-11T12:00:00.000";
        // The seconds, which the form does not show, make no stay longer.
        QTest::newRow("a second past it") << QTime(12, 0, 1) << -1
                                          << "2026-06-10T12:00:00.000" << "2026-06-11T12:00:00.000";
        QTest::newRow("rounded up to it") << QTime(11, 40) << -1
                                          << "2026-06-10T12:00:00.000" << "2026-06-11T12:00:00.000";
        QTest::newRow("in the afternoon") << QTime(13, 10) << -1
                                          << "2026-06-10T13:00:00.000" << "2026-06-11T12:00:00.000";
        QTest::newRow("the stream's end wins") << QTime(13, 10) << 700
                                               << "2026-06-10T13:00:00.000" << "2026-06-20T12:00:00.000";
    }

    void proposedTimes()
    {
        QFETCH(QTime, now);
        QFETCH(int, person);
        QFETCH(QString, in);
        QFETCH(QString, out);
        Clock::setNow(testDay(now));
        dialog->setTargetId(person);
        dialog->reset();
        QCOMPARE(sent().value("inDate").toString(), in);
        QCOMPARE(sent().value("outDate").toString(), out);
    }

    void ratesOfTheCheckInDate_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<QDate>("checkIn");
        QTest::addColumn<QStringList>("offered");
        // Room 102: "Двухместный" for June, "Без начала" until 15 June and
        // "Бессрочный", which has no end.
        QTest::newRow("first day") << 1 << QDate(2026, 6, 1)
                                   << QStringList{"Двухместный 1800/80", "Без начала 800/30"};
        QTest::newRow("last day") << 1 << QDate(2026, 6, 30) << QStringList{"Двухместный 1800/80"};
        QTest::newRow("day after") << 1 << QDate(2026, 7, 1) << QStringList{};
        QTest::newRow("day before") << 1 << QDate(2026, 5, 31) << QStringList{"Без начала 800/30"};
        QTest::newRow("room 101, last day of the year") << 0 << QDate(2026, 12, 31)
                                                         << QStringList{"Одноместный 2500/110.5"};
    }

    void ratesOfTheCheckInDate()
    {
        QFETCH(int, room);
        QFETCH(QDate, checkIn);
        QFETCH(QStringList, offered);
        dialog->reset();
        QStringList shown;
        runAndAccept([&](AccommodationEditDialog *d) {
            d->findChild<QComboBox *>("numComboBox")->setCurrentIndex(room);
            d->findChild<QDateEdit *>("dateInEdit")->setDate(checkIn);
            shown = itemTexts(d->findChild<QComboBox *>("rateComboBox"));
        });
        QCOMPARE(shown, offered);
        QCOMPARE(sent().value("rateId").toInt() > 0, !offered.isEmpty());
    }

    void editedStayKeepsItsRoomAndRate_data()
    {
        QTest::addColumn<QJsonObject>("room");
        QTest::addColumn<QJsonObject>("rate");
        QTest::addColumn<QString>("roomShown");
        QTest::addColumn<QString>("rateShown");
        const QJsonObject room101{{"id", 1}, {"number", "101"}};
        const QJsonObject current{{"id", 1}, {"type", "Одноместный"}, {"cost", 2500}, {"hourCost", 110.5}};
        QTest::newRow("expired rate") << room101
                                      << QJsonObject{{"id", 3}, {"type", "Старый"}, {"cost", 1000}, {"hourCost", 50}}
                                      << "101" << "Старый 1000/50";
        QTest::newRow("room no longer there") << QJsonObject{{"id", 9}, {"number", "999"}} << current
                                              << "999" << "Одноместный 2500/110.5";
    }

    void editedStayKeepsItsRoomAndRate()
    {
        QFETCH(QJsonObject, room);
        QFETCH(QJsonObject, rate);
        QFETCH(QString, roomShown);
        QFETCH(QString, rateShown);
        const auto row = cardRow(accommodationColumns,
                                 {{"id", 5}, {"room", room}, {"rate", rate},
                                  {"inDate", "2026-06-05T12:00:30.250"},
                                  {"outDate", "2026-06-08T12:00:59.000"}});
        dialog->setTargetId(700);
        dialog->fromModel(row->index(0, 0));
        QString roomText, rateText;
        runAndAccept([&](AccommodationEditDialog *d) {
            roomText = d->findChild<QComboBox *>("numComboBox")->currentText();
            rateText = d->findChild<QComboBox *>("rateComboBox")->currentText();
        });
        QCOMPARE(roomText, roomShown);
        QCOMPARE(rateText, rateShown);
        QCOMPARE(sent().value("roomId"), room.value("id"));
        QCOMPARE(sent().value("rateId"), rate.value("id"));
        // Sent as the form shows them, to the minute.
        QCOMPARE(sent().value("inDate"), QJsonValue("2026-06-05T12:00:00.000"));
        QCOMPARE(sent().value("outDate"), QJsonValue("2026-06-08T12:00:00.000"));

        // A new stay is offered only what is valid.
        dialog->reset();
        QStringList rooms, rates;
        runAndAccept([&](AccommodationEditDialog *d) {
            rooms = itemTexts(d->findChild<QComboBox *>("numComboBox"));
            rates = itemTexts(d->findChild<QComboBox *>("rateComboBox"));
        });
        QCOMPARE(rooms, QStringList({"101", "102", "103"}));
        QCOMPARE(rates, QStringList{"Одноместный 2500/110.5"});
    }

    void unreadableRoomsLeaveBothListsEmpty()
    {
        server().injectFailure("GET", "rooms", {StandIn::FailureKind::OkFalse});
        dialog->reset();
        runAndAccept();
        QCOMPARE(sent().value("roomId"), QJsonValue(0));
        QCOMPARE(sent().value("rateId"), QJsonValue(0));
    }
};

LOMI_TEST_CLASS(AccommodationDialogTest)

#include "tst_accommodationdialog.moc"
