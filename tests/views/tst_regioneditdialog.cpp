#include "testregistry.h"

#include "messagebox.h"
#include "modalhandler.h"
#include "regioneditdialog.h"
#include "selectoredit.h"
#include "simpleviewwidget.h"
#include "testenvironment.h"
#include "viewstesthelpers.h"

#include <QLabel>

using namespace ViewsTest;

namespace {

const JsonTableModel::Headers regionHeaders = {
    {"ID", "id"}, {"Шифр", "code"}, {"Название", "name"}, {"Округ", "district.name"}};

SelectorEdit *districtField(QWidget *editor)
{
    return editor->findChild<SelectorEdit *>("widget");
}

QString districtLabel(QWidget *editor)
{
    return districtField(editor)->findChild<QLabel *>("displayValueLabel")->text();
}

QStringList errorTexts()
{
    QStringList texts;
    for (const MessageBox::Record &record : MessageBox::history()) {
        if (record.title == QStringLiteral("Ошибка"))
            texts << record.text;
    }
    return texts;
}

}  // namespace

class RegionEditDialogTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<RegionEditDialog> editor;
    std::unique_ptr<SimpleViewWidget> list;

    StandIn::Server &server() { return env->server(); }

    QTableView *view() { return list->findChild<QTableView *>("tableView"); }

    bool loadsAfter(const std::function<void()> &action)
    {
        QSignalSpy loaded(sourceModel(view()), &RequestTableModel::selectFinished);
        action();
        return loaded.wait(5000);
    }

    bool selectId(int id)
    {
        const int row = viewIds(view()).indexOf(id);
        if (row < 0)
            return false;
        view()->selectRow(row);
        return true;
    }

    // The source row of the region with this id.
    QModelIndex sourceRow(int id)
    {
        RequestTableModel *model = sourceModel(view());
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toInt() == id)
                return model->index(row, 0);
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        env = std::make_unique<TestEnvironment>(fixture());
        QVERIFY(env->signIn("admin"));
        editor = std::make_unique<RegionEditDialog>();
        list.reset(SimpleViewWidget::Builder::create()
                       ->withTitle("Регионы")
                       ->withEndpoint("regions")
                       ->withHeaders(regionHeaders)
                       ->withEditDialog(editor.get())
                       ->requires("regions")
                       ->build());
    }

    void cleanupTestCase()
    {
        list.reset();
        editor.reset();
        env.reset();
    }

    void init()
    {
        server().setCollection("regions", fixture().value("regions").toArray());
        MessageBox::reset();
        ModalHandler::reset();
        QVERIFY(loadsAfter([this] { list->handleUpdate(); }));
        server().clearRequests();
    }

    void cleanup()
    {
        QCOMPARE(ModalHandler::unexpectedDialogs(), QStringList());
        QCOMPARE(ModalHandler::pending(), 0);
    }

    void bodyListsItsKeysAlphabetically()
    {
        editor->fromData({{"name", "Москва"}, {"code", "77"}, {"districtId", 1}});
        QCOMPARE(editor->getJson().toJson(QJsonDocument::Indented),
                 QByteArray("{\n    \"code\": \"77\",\n    \"districtId\": 1,\n"
                            "    \"name\": \"Москва\"\n}\n"));
        editor->reset();
        QCOMPARE(editor->getJson().object(),
                 QJsonObject({{"code", ""}, {"districtId", -1}, {"name", ""}}));
        QCOMPARE(districtLabel(editor.get()), QString("Не выбрано"));
    }

    void requiredFieldsAreNamedCodeThenDistrictThenName()
    {
        editor->reset();
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            setText(d, "codeLineEdit", "77");
            press(d, QDialogButtonBox::Ok);
        });
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            districtField(d)->setSelectedId(1);
            press(d, QDialogButtonBox::Ok);
        });
        QString keptCode;
        ModalHandler::onNextDialog<RegionEditDialog>([&](RegionEditDialog *d) {
            keptCode = text(d, "codeLineEdit");
            setText(d, "nameLineEdit", "Москва");
            press(d, QDialogButtonBox::Ok);
        });
        QCOMPARE(editor->exec(), int(QDialog::Accepted));
        QCOMPARE(errorTexts(), QStringList({"Код: Требуется значение", "Округ: Требуется значение",
                                            "Название: Требуется значение"}));
        QCOMPARE(keptCode, QString("77"));
        QCOMPARE(editor->getJson().object(),
                 QJsonObject({{"code", "77"}, {"districtId", 1}, {"name", "Москва"}}));
    }

    void rowWithDistrictFillsTheForm()
    {
        editor->reset();
        editor->fromModel(sourceRow(3));
        QCOMPARE(text(editor.get(), "nameLineEdit"), QString("Москва"));
        QCOMPARE(text(editor.get(), "codeLineEdit"), QString("77"));
        QCOMPARE(districtField(editor.get())->getSelectedId(), 1);
        QTRY_COMPARE(districtLabel(editor.get()), QString("Центральный"));
        // The selector reads the plain list.
        const auto gets = server().requestsTo("GET", "districts");
        QVERIFY(!gets.isEmpty());
        QCOMPARE(gets.last().query, QString());
    }

    void rowWithoutDistrictSelectsNone_data()
    {
        QTest::addColumn<QJsonValue>("districtId");
        QTest::newRow("null reference") << QJsonValue(QJsonValue::Null);
        QTest::newRow("no reference") << QJsonValue(QJsonValue::Undefined);
    }

    void rowWithoutDistrictSelectsNone()
    {
        QFETCH(QJsonValue, districtId);
        QJsonObject region{{"id", 9}, {"code", "99"}, {"name", "Без округа"}};
        if (!districtId.isUndefined())
            region.insert("districtId", districtId);
        QJsonArray rows = fixture().value("regions").toArray();
        rows.append(region);
        server().setCollection("regions", rows);
        QVERIFY(loadsAfter([this] { list->handleUpdate(); }));

        // The previous record's district must not linger either.
        editor->fromModel(sourceRow(3));
        QTRY_COMPARE(districtLabel(editor.get()), QString("Центральный"));
        editor->fromModel(sourceRow(9));
        QCOMPARE(districtField(editor.get())->getSelectedId(), -1);
        QCOMPARE(districtLabel(editor.get()), QString("Не выбрано"));
        QCOMPARE(editor->getJson().object().value("districtId"), QJsonValue(-1));
    }

    void editingARegionWithoutDistrictNeverSavesDistrictZero()
    {
        QVERIFY(selectId(5));
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::rejectNext<RegionEditDialog>();
        list->findChild<QPushButton *>("editButton")->click();
        QCOMPARE(errorTexts(), QStringList({"Округ: Требуется значение"}));
        QVERIFY(loadsAfter([this] { list->handleUpdate(); }));
        QCOMPARE(server().requestsTo("PUT", "regions/5").size(), 0);
    }

    void missingDistrictIdInDataSelectsNone()
    {
        editor->fromData({{"districtId", 1}});
        editor->fromData({{"name", "x"}, {"code", "y"}});
        QCOMPARE(districtField(editor.get())->getSelectedId(), -1);
    }

    void copyPostsTheSameRegionWithoutId()
    {
        QVERIFY(selectId(3));
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        QVERIFY(loadsAfter([this] { list->findChild<QPushButton *>("copyButton")->click(); }));
        const auto posts = server().requestsTo("POST", "regions");
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts.first().body, indented({{"code", "77"}, {"districtId", 1}, {"name", "Москва"}}));
    }

    void editPutsTheRegionWithItsId()
    {
        QVERIFY(selectId(3));
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            setText(d, "nameLineEdit", "г. Москва");
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(loadsAfter([this] { list->findChild<QPushButton *>("editButton")->click(); }));
        const auto puts = server().requestsTo("PUT", "regions/3");
        QCOMPARE(puts.size(), 1);
        QCOMPARE(puts.first().body, indented({{"code", "77"}, {"districtId", 1}, {"id", 3},
                                              {"name", "г. Москва"}}));
    }

    void rowOfAnotherModelIsAsserted()
    {
        editor->fromData({{"name", "Москва"}, {"code", "77"}, {"districtId", 2}});
        JsonTableModel plain;
        plain.setHeaders(regionHeaders);
        plain.setJson(QJsonDocument::fromJson(
            R"([{"id": 3, "code": "78", "name": "Петербург", "district": {"id": 1, "name": "x"}}])"));
        editor->fromModel(plain.index(0, 0));

        const auto history = MessageBox::history();
        QCOMPARE(history.size(), 1);
        QCOMPARE(history.first().title, QString("Assertion failed"));
        QVERIFY2(history.first().text.startsWith("Client/widgets/regioneditdialog:"),
                 qPrintable(history.first().text));
        QVERIFY(history.first().text.endsWith(
            ": req = dynamic_cast<const RequestTableModel*>(row.model())"));
        // Fields read before the check keep their new values, the district its old one.
        QCOMPARE(text(editor.get(), "nameLineEdit"), QString("Петербург"));
        QCOMPARE(text(editor.get(), "codeLineEdit"), QString("78"));
        QCOMPARE(districtField(editor.get())->getSelectedId(), 2);
    }
};

LOMI_TEST_CLASS(RegionEditDialogTest)

#include "tst_regioneditdialog.moc"
