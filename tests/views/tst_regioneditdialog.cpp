#include "testregistry.h"

#include "guitestbase.h"
#include "modalhandler.h"
#include "regioneditdialog.h"
#include "requesttablemodel.h"
#include "selectoredit.h"
#include "simpleviewwidget.h"
#include "viewsfixture.h"

#include <QJsonArray>
#include <QLabel>
#include <QPushButton>

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

}  // namespace

class RegionEditDialogTest : public GuiTestBase
{
    Q_OBJECT

    std::unique_ptr<RegionEditDialog> editor;
    std::unique_ptr<SimpleViewWidget> list;

    bool reloads() { return reloadsAfter(list.get(), [this] { list->handleUpdate(); }); }

    // The source row of the region with this id.
    QModelIndex sourceRow(int id)
    {
        RequestTableModel *model = sourceModel(list.get());
        return model->match(model->index(0, 0), Qt::DisplayRole, id, 1, Qt::MatchExactly).value(0);
    }

    void initTest() override
    {
        server().setCollection("regions", fixture().value("regions").toArray());
        QVERIFY(reloads());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startServer(fixture()).signIn("admin"));
        editor = std::make_unique<RegionEditDialog>();
        list.reset(SimpleViewWidget::Builder::create()
                       ->withTitle("Регионы")
                       ->withEndpoint("regions")
                       ->withHeaders(regionHeaders)
                       ->withEditDialog(editor.get())
                       ->requires("regions")
                       ->build());
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
        for (int box = 0; box < 3; ++box)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            fillIn(d, "codeLineEdit", "77");
            press(d, QDialogButtonBox::Ok);
        });
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            districtField(d)->setSelectedId(1);
            press(d, QDialogButtonBox::Ok);
        });
        QString keptCode;
        ModalHandler::onNextDialog<RegionEditDialog>([&](RegionEditDialog *d) {
            keptCode = fieldText(d, "codeLineEdit");
            fillIn(d, "nameLineEdit", "Москва");
            press(d, QDialogButtonBox::Ok);
        });
        QCOMPARE(editor->exec(), int(QDialog::Accepted));
        QCOMPARE(boxTexts("Ошибка"), QStringList({"Код: Требуется значение", "Округ: Требуется значение",
                                            "Название: Требуется значение"}));
        QCOMPARE(keptCode, QString("77"));
        QCOMPARE(editor->getJson().object(),
                 QJsonObject({{"code", "77"}, {"districtId", 1}, {"name", "Москва"}}));
    }

    void rowWithDistrictFillsTheForm()
    {
        editor->reset();
        editor->fromModel(sourceRow(3));
        QCOMPARE(fieldText(editor.get(), "nameLineEdit"), QString("Москва"));
        QCOMPARE(fieldText(editor.get(), "codeLineEdit"), QString("77"));
        QCOMPARE(districtField(editor.get())->getSelectedId(), 1);
        QTRY_COMPARE(districtLabel(editor.get()), QString("Центральный"));
        // The selector reads the plain list.
        QTRY_VERIFY(!server().requestsTo("GET", "districts").isEmpty());
        QCOMPARE(server().requestsTo("GET", "districts").last().query, QString());
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
        QVERIFY(reloads());

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
        QVERIFY(selectId(list.get(), 5));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::rejectNext<RegionEditDialog>();
        button(list.get(), "editButton")->click();
        QCOMPARE(boxTexts("Ошибка"), QStringList({"Округ: Требуется значение"}));
        QVERIFY(reloads());
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
        QVERIFY(selectId(list.get(), 3));
        ModalHandler::onNextDialog<RegionEditDialog>(
            [](RegionEditDialog *d) { press(d, QDialogButtonBox::Ok); });
        QVERIFY(reloadsAfter(list.get(), [this] { button(list.get(), "copyButton")->click(); }));
        const auto posts = server().requestsTo("POST", "regions");
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts.first().body, indented({{"code", "77"}, {"districtId", 1}, {"name", "Москва"}}));
    }

    void editPutsTheRegionWithItsId()
    {
        QVERIFY(selectId(list.get(), 3));
        ModalHandler::onNextDialog<RegionEditDialog>([](RegionEditDialog *d) {
            fillIn(d, "nameLineEdit", "г. Москва");
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(reloadsAfter(list.get(), [this] { button(list.get(), "editButton")->click(); }));
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
        MessageBox::setNextAnswer(QMessageBox::Ok);
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
        QCOMPARE(fieldText(editor.get(), "nameLineEdit"), QString("Петербург"));
        QCOMPARE(fieldText(editor.get(), "codeLineEdit"), QString("78"));
        QCOMPARE(districtField(editor.get())->getSelectedId(), 2);
    }
};

LOMI_TEST_CLASS(RegionEditDialogTest)

#include "tst_regioneditdialog.moc"
