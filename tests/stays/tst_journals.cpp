#include "contractsjournalwidget.h"
#include "mainwindow.h"
#include "propertyjournalwidget.h"
#include "receiptsjournalwidget.h"
#include "staysfixture.h"
#include "testregistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

using namespace StaysTest;

class JournalsTest : public StaysTestBase
{
    Q_OBJECT

    static std::unique_ptr<JournalWidget> journal(const QString &kind)
    {
        if (kind == "receipts")
            return std::make_unique<ReceiptsJournalWidget>();
        if (kind == "property")
            return std::make_unique<PropertyJournalWidget>();
        return std::make_unique<ContractsJournalWidget>();
    }
    // Runs `action` and waits for the table to take in a reply.
    static bool loadsAfter(QWidget *journal, const std::function<void()> &action, int waitMs = 5000)
    {
        QSignalSpy reset(tableOf(journal)->model(), &QAbstractItemModel::modelReset);
        action();
        return reset.wait(waitMs);
    }
    QStringList requested()
    {
        QStringList urls;
        for (const StandIn::Request &request : server().requests())
            urls << request.path + (request.query.isEmpty() ? "" : "?" + request.query);
        return urls;
    }

private slots:
    void initTestCase()
    {
        StaysTestBase::initTestCase();
        const QJsonObject receipt{{"personId", 700}, {"extraServiceId", 3}, {"amount", 1},
                                  {"payTypeId", 1}, {"propertyId", 1},
                                  {"startDate", "2026-06-01T10:00:00.000"},
                                  {"payDate", "2026-06-01T00:00:00.000"}};
        for (int id : {2, 11, 3}) {
            QJsonObject row = receipt;
            row.insert("id", id);
            server().addRecord("receipts", row);
        }
    }

    void requests_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("byYear");
        QTest::addColumn<QString>("typedYear");  // empty: the year chosen at start
        QTest::addColumn<double>("rate");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("receipts of this year") << "receipts" << true << "" << 0.0
                                               << QStringList{"/receipts/journal?year=2026"};
        QTest::newRow("receipts of every year") << "receipts" << false << "" << 0.0
                                                << QStringList{"/receipts/journal"};
        QTest::newRow("a typed year") << "receipts" << true << "2019" << 0.0
                                      << QStringList{"/receipts/journal?year=2019"};
        QTest::newRow("typed, not a year") << "receipts" << true << "abc" << 0.0 << none;
        QTest::newRow("rentals") << "property" << true << "" << 0.0
                                 << QStringList{"/properties/journal?year=2026"};
        QTest::newRow("contracts, rate 0") << "contracts" << true << "" << 0.0
                                           << QStringList{"/payments/contracts?rate=0&year=2026"};
        QTest::newRow("contracts of every year") << "contracts" << false << "" << 1500.0
                                                 << QStringList{"/payments/contracts?rate=1500"};
        QTest::newRow("rate with a half") << "contracts" << false << "" << 1500.5
                                          << QStringList{"/payments/contracts?rate=1500.5"};
        QTest::newRow("rate with kopecks") << "contracts" << false << "" << 12345.67
                                           << QStringList{"/payments/contracts?rate=12345.67"};
        QTest::newRow("rate in millions") << "contracts" << false << "" << 2500000.0
                                          << QStringList{"/payments/contracts?rate=2500000"};
    }

    void requests()
    {
        QFETCH(QString, kind);
        QFETCH(bool, byYear);
        QFETCH(QString, typedYear);
        QFETCH(double, rate);
        QFETCH(QStringList, expected);
        const auto widget = journal(kind);
        auto *years = child<QComboBox>(widget.get(), "yearComboBox");
        QCOMPARE(itemTexts(years), QStringList({"2026", "2025", "2024", "2023", "2022"}));

        if (auto *spin = child<QDoubleSpinBox>(widget.get(), "futureSpinBox"))
            spin->setValue(rate);
        {
            const QSignalBlocker blocker(child<QCheckBox>(widget.get(), "yearFilterCheckBox"));
            child<QCheckBox>(widget.get(), "yearFilterCheckBox")->setChecked(byYear);
        }
        const bool loaded = loadsAfter(widget.get(), [&] {
            if (typedYear.isEmpty()) {
                widget->handleUpdate();
                return;
            }
            // As a user does: typed, then Enter, which adds the year to the list.
            years->lineEdit()->selectAll();
            typeInto(years->lineEdit(), typedYear);
            QTest::keyClick(years->lineEdit(), Qt::Key_Return);
        }, expected.isEmpty() ? 300 : 5000);
        QCOMPARE(loaded, !expected.isEmpty());
        QCOMPARE(requested(), expected);
    }

    void rowsNewestFirstAndSearchStaysHere()
    {
        ReceiptsJournalWidget widget;
        QVERIFY(loadsAfter(&widget, [&] { widget.handleUpdate(); }));
        QCOMPARE(shownIds(&widget), QList<int>({11, 3, 2}));
        // The user sorts by another column; the next load is newest first again.
        tableOf(&widget)->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
        QVERIFY(loadsAfter(&widget, [&] { button(&widget, "refreshButton")->click(); }));
        QCOMPARE(shownIds(&widget), QList<int>({11, 3, 2}));

        server().clearRequests();
        child<QLineEdit>(&widget, "searchLineEdit")->setText("нет такого");
        QCOMPARE(shownIds(&widget), QList<int>());
        QCOMPARE(server().requests().size(), 0);
    }

    void yearChoiceReloadsButTheRentalsWaitForRefresh()
    {
        ContractsJournalWidget contracts;
        QVERIFY(loadsAfter(&contracts, [&] { child<QComboBox>(&contracts, "yearComboBox")->setCurrentIndex(1); }));
        QCOMPARE(requested(), QStringList{"/payments/contracts?rate=0&year=2025"});

        PropertyJournalWidget rentals;
        server().clearRequests();
        child<QComboBox>(&rentals, "yearComboBox")->setCurrentIndex(2);
        QVERIFY(loadsAfter(&rentals, [&] { child<QCheckBox>(&rentals, "yearFilterCheckBox")->setChecked(false); }));
        QVERIFY(loadsAfter(&rentals, [&] { button(&rentals, "refreshButton")->click(); }));
        QCOMPARE(requested(), QStringList({"/properties/journal", "/properties/journal"}));
        QVERIFY(loadsAfter(&rentals, [&] { child<QCheckBox>(&rentals, "yearFilterCheckBox")->setChecked(true); }));
        QCOMPARE(requested().last(), QString("/properties/journal?year=2024"));
    }

    void mainWindowOpensTheJournals()
    {
        MainWindow window;
        window.closeChild(nullptr);  // the persons view, opened as the first tab
        for (const auto &[action, title] : {std::pair{"receiptsJournalAction", "Журнал квитанций"},
                                            std::pair{"propertyJournalAction", "Журнал проката"},
                                            std::pair{"contractJournalAction", "Реестр контрактов"}}) {
            window.findChild<QAction *>(action)->trigger();
            // The window is shown only after a sign-in of its own: nothing is active.
            QMdiSubWindow *frame = window.findChild<QMdiArea *>()->subWindowList().value(0);
            QVERIFY(frame && frame->widget());
            QCOMPARE(frame->widget()->windowTitle(), QString::fromUtf8(title));
            QTRY_VERIFY(!shownIds(frame->widget()).isEmpty());
            frame->widget()->close();
        }
    }
};

LOMI_TEST_CLASS(JournalsTest)

#include "tst_journals.moc"
