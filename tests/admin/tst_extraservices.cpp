#include "testregistry.h"

#include "admintesting.h"
#include "extraserviceeditdialog.h"
#include "extraservicesviewwidget.h"

#include <QCheckBox>
#include <QLineEdit>

// The extra services with the property items linked to each.
class ExtraServicesViewTest : public AdminTestBase
{
    Q_OBJECT

    ExtraServicesViewWidget *services = nullptr;

    QTableView *table(const char *name) { return services->findChild<QTableView *>(name); }
    static QStringList names(QTableView *view)
    {
        QStringList shown;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            shown << view->model()->index(row, 1).data().toString();
        return shown;
    }
    void selectService(const QString &name)
    {
        table("extraServicesTableView")->selectRow(int(names(table("extraServicesTableView")).indexOf(name)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn());
        services = openWindow<ExtraServicesViewWidget>("extraServicesAction");
        QVERIFY(services);
    }

    void listAndPanelAreSortedByNameAndSearchedInTheServersText()
    {
        QTableView *list = table("extraServicesTableView");
        const QStringList shown = names(list);
        QCOMPARE(shown.first(), QString("Поздний выезд"));
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        selectService("Прокат бытовой техники");
        QCOMPARE(names(table("propertyTableView")),
                 QStringList({"Утюг", "Фен", "Электрический чайник"}));

        auto *search = services->findChild<QLineEdit *>("searchLineEdit");
        search->setText("ПРОКАТ");
        QCOMPARE(list->model()->rowCount(), 2);
        search->setText("2025-01-01");
        QCOMPARE(names(list), QStringList({"Трансфер до вокзала (2025)"}));
        search->clear();
    }

    void copyLinksOnlyToTheCreatedService_data()
    {
        QTest::addColumn<bool>("inherit");
        QTest::addColumn<int>("status");  // of the creation, injected; 0: none injected
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("links");
        QTest::newRow("inherited") << true << 0 << QByteArray() << 3;
        QTest::newRow("not inherited") << false << 0 << QByteArray() << 0;
        QTest::newRow("creation failed") << true << 500 << QByteArray(R"({"Ok": false, "id": 2})") << 0;
        QTest::newRow("created without id") << true << 200 << QByteArray(R"({"Ok": true})") << 0;
    }

    void copyLinksOnlyToTheCreatedService()
    {
        QFETCH(bool, inherit);
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        QFETCH(int, links);
        if (status != 0) {
            StandIn::Failure failure;
            failure.status = status;
            failure.body = reply;
            server().injectFailure("POST", "extra_services", failure);
        }
        if (status == 500)
            MessageBox::setNextAnswer(QMessageBox::Ok);  // the transport's "Request failed"
        selectService("Прокат бытовой техники");
        services->findChild<QCheckBox *>("inheritPropertyCheckButton")->setChecked(inherit);
        ModalHandler::onNextDialog<ExtraServiceEditDialog>([](ExtraServiceEditDialog *editor) {
            fillIn(editor, "nameLineEdit", "Прокат техники (копия)");
            press(editor, QDialogButtonBox::Ok);
        });
        if (status == 500)
            ModalHandler::rejectNext<ExtraServiceEditDialog>();  // back as typed, then cancelled
        // The list reloads after the copy's answer and again after its links.
        QSignalSpy loads(&managerOf(services), &QNetworkAccessManager::finished);
        button(services, "copyButton")->click();
        QTRY_COMPARE(loads.size(), links > 0 ? 2 : 1);

        QStringList sent;
        for (const StandIn::Request &request : server().requests()) {
            if (request.method != "GET")
                sent << request.method + " " + request.path + " " + request.json().toJson(QJsonDocument::Compact);
        }
        const int created = server().collection("extra_services").last().toObject().value("id").toInt();
        QStringList expected{"POST /extra_services " + sent.value(0).section(' ', 2)};
        for (int item = 1; item <= links; ++item)
            expected << QString("POST /extra_services/%1/property {\"propertyId\":%2}").arg(created).arg(item);
        QCOMPARE(sent, expected);
    }
};

LOMI_TEST_CLASS(ExtraServicesViewTest)

#include "tst_extraservices.moc"
