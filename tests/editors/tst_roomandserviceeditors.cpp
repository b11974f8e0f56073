#include "testregistry.h"

#include "extraserviceeditdialog.h"
#include "guitestbase.h"
#include "modalhandler.h"
#include "requesttablemodel.h"
#include "roomeditdialog.h"

#include <QComboBox>
#include <QJsonArray>
#include <QStandardItemModel>

namespace {

// The stored records as a list window's model holds them, its columns
// named by their keys.
void load(RequestTableModel &model, const QJsonArray &records, const QStringList &keys)
{
    JsonTableModel::Headers headers;
    for (const QString &key : keys)
        headers.append({key, key});
    model.setHeaders(headers);
    model.setJson(QJsonDocument(records));
}

std::unique_ptr<QStandardItemModel> rowModel(const QVariantList &cells)
{
    auto model = std::make_unique<QStandardItemModel>(1, int(cells.size()));
    for (int column = 0; column < cells.size(); ++column)
        model->setData(model->index(0, column), cells.at(column));
    return model;
}

}  // namespace

// The room and extra-service editors read rows by position from whatever
// model their window holds; what they show is what Ok saves.
class RoomAndServiceEditorsTest : public GuiTestBase
{
    Q_OBJECT

    // Runs the editor and accepts it unchanged.
    static QJsonObject savedUnchanged(EditDialog &editor)
    {
        ModalHandler::onNextDialog<EditDialog>([](EditDialog *d) { press(d, QDialogButtonBox::Ok); });
        if (editor.exec() != QDialog::Accepted)
            return {};
        return editor.getJson().object();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startServer(fixtureFile(LOMI_TEST_DATA_DIR "/fixture.json")).signIn("admin"));
    }

    void roomKeepsFloorAndPlacesAbove99()
    {
        RoomEditDialog editor;
        const auto items = rowModel({7, "5Б", 150, 130, "Угловой"});
        editor.fromModel(items->index(0, 0));
        QCOMPARE(savedUnchanged(editor),
                 QJsonObject({{"description", "Угловой"}, {"floor", 150}, {"number", "5Б"}, {"size", 130}}));

        RequestTableModel rooms;
        load(rooms, server().collection("rooms"), {"id", "number", "floor", "size", "description"});
        editor.fromModel(rooms.index(0, 0));
        QCOMPARE(savedUnchanged(editor),
                 QJsonObject({{"description", "Мансарда"}, {"floor", 120}, {"number", "12А"}, {"size", 120}}));
    }

    void serviceRoundTripsAndKeepsItsPeriodOnReset()
    {
        ExtraServiceEditDialog editor;
        RequestTableModel services;
        load(services, server().collection("extra_services"),
             {"id", "name", "measurement", "rate", "startDate", "endDate", "base", "param"});
        editor.fromModel(services.index(0, 0));
        QCOMPARE(savedUnchanged(editor),
                 QJsonObject({{"base", "Приказ № 7"}, {"endDate", "2024-12-31T00:00:00.000"},
                              {"measurement", "сутки"}, {"name", "Прокат"}, {"param", 2},
                              {"rate", 150.5}, {"startDate", "2024-02-01T00:00:00.000"}}));

        // An unknown parameter leaves no choice, not the previous service's.
        const auto items = rowModel(
            {3, "Стирка", "кг", 99.99, "2024-05-01T09:30:00.000", "2024-06-01T00:00:00.000", "Приказ", 7});
        editor.fromModel(items->index(0, 0));
        QCOMPARE(editor.findChild<QComboBox *>("unitParamComboBox")->currentIndex(), -1);
        QCOMPARE(savedUnchanged(editor),
                 QJsonObject({{"base", "Приказ"}, {"endDate", "2024-06-01T00:00:00.000"},
                              {"measurement", "кг"}, {"name", "Стирка"}, {"param", 0},
                              {"rate", 99.99}, {"startDate", "2024-05-01T00:00:00.000"}}));

        // "Добавить" after an edit proposes the edited service's period.
        editor.reset();
        QCOMPARE(editor.getJson().object(),
                 QJsonObject({{"base", ""}, {"endDate", "2024-06-01T00:00:00.000"}, {"measurement", ""},
                              {"name", ""}, {"param", 0}, {"rate", 0},
                              {"startDate", "2024-05-01T00:00:00.000"}}));
    }
};

LOMI_TEST_CLASS(RoomAndServiceEditorsTest)

#include "tst_roomandserviceeditors.moc"
