#include "testregistry.h"

#include "districteditdialog.h"
#include "editdialog.h"
#include "guitestbase.h"
#include "jsontablemodel.h"
#include "modalhandler.h"
#include "positioneditdialog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardItemModel>
#include <QTest>

namespace {

// An editor without validator that remembers what fromData received.
class RecordingEditor : public EditDialog
{
    Q_OBJECT

public:
    RecordingEditor()
    {
        auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        box->setObjectName("buttonBox");
        connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }

    void reset() override { received.clear(); }
    void fromData(const QMap<QString, QVariant> &data) override { received = data; }
    QJsonDocument getJson() const override { return QJsonDocument(QJsonObject()); }

    QMap<QString, QVariant> received;
};

}  // namespace

class EditDialogTest : public GuiTestBase
{
    Q_OBJECT

private slots:
    void execStaysOpenUntilValid_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("message");
        QTest::newRow("district") << "district" << "Название: Требуется значение";
        QTest::newRow("position") << "position" << "Наименование: Требуется значение";
    }

    void execStaysOpenUntilValid()
    {
        QFETCH(QString, editor);
        QFETCH(QString, message);
        std::unique_ptr<EditDialog> dialog;
        if (editor == "district")
            dialog = std::make_unique<DistrictEditDialog>();
        else
            dialog = std::make_unique<PositionEditDialog>();
        dialog->reset();

        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<EditDialog>(
            [](EditDialog *d) { press(d, QDialogButtonBox::Ok); });
        bool shownAgain = false;
        ModalHandler::onNextDialog<EditDialog>([&](EditDialog *d) {
            shownAgain = true;
            fillIn(d, "nameLineEdit", "  Центральный ");
            press(d, QDialogButtonBox::Ok);
        });

        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QVERIFY(shownAgain);
        const auto boxes = boxesTitled("Ошибка");
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().text, message);
        // Sent as typed, blanks included; the body never holds an id.
        QCOMPARE(dialog->getJson().toJson(QJsonDocument::Compact),
                 QByteArray(R"({"name":"  Центральный "})"));
    }

    void cancelAfterInvalidOkIsRejected()
    {
        DistrictEditDialog dialog;
        dialog.reset();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::onNextDialog<EditDialog>(
            [](EditDialog *d) { press(d, QDialogButtonBox::Ok); });
        ModalHandler::onNextDialog<EditDialog>(
            [](EditDialog *d) { press(d, QDialogButtonBox::Cancel); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(boxesTitled("Ошибка").size(), 1);
        QCOMPARE(ModalHandler::pending(), 0);
    }

    void cancelAtOnceValidatesNothing()
    {
        DistrictEditDialog dialog;
        dialog.reset();
        ModalHandler::rejectNext<EditDialog>();
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(boxesTitled("Ошибка").isEmpty());
    }

    void withoutValidatorFirstOkAccepts()
    {
        RecordingEditor dialog;
        QVERIFY(dialog.validate().valid);
        ModalHandler::onNextDialog<EditDialog>(
            [](EditDialog *d) { press(d, QDialogButtonBox::Ok); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(boxesTitled("Ошибка").isEmpty());
    }

    void fromModelGivesExactlyTheColumnKeys()
    {
        JsonTableModel model;
        model.setHeaders({{"ID", "id"}, {"Название", "name"}, {"Округ", "district.name"}});
        model.setJson(QJsonDocument::fromJson(R"([
            {"id": 7, "name": "Тверская", "code": "69", "district": {"id": 2, "name": "Центральный"}},
            {"id": 12, "name": "Псковская", "code": "60", "district": {"id": 3, "name": "Северо-Западный"}}
        ])"));

        RecordingEditor dialog;
        dialog.fromModel(model.index(1, 2));  // any cell of the row will do
        QCOMPARE(dialog.received.keys(), QStringList({"district.name", "id", "name"}));
        QCOMPARE(dialog.received.value("id").typeId(), QMetaType::LongLong);
        QCOMPARE(dialog.received.value("id").toInt(), 12);
        QCOMPARE(dialog.received.value("name").toString(), QString("Псковская"));
        QCOMPARE(dialog.received.value("district.name").toString(), QString("Северо-Западный"));
    }

    void fromModelLaterColumnWinsOnSameKey()
    {
        QStandardItemModel model(1, 3);
        const QStringList keys = {"id", "name", "name"};
        const QStringList values = {"5", "first", "second"};
        for (int column = 0; column < 3; ++column) {
            model.setHeaderData(column, Qt::Horizontal, keys.at(column), Qt::UserRole);
            model.setItem(0, column, new QStandardItem(values.at(column)));
        }
        RecordingEditor dialog;
        dialog.fromModel(model.index(0, 0));
        QCOMPARE(dialog.received.keys(), QStringList({"id", "name"}));
        QCOMPARE(dialog.received.value("name").toString(), QString("second"));
    }

    void directoryEditorsResetAndFill()
    {
        DistrictEditDialog district;
        district.fromData({{"id", 4}, {"name", "Южный"}});
        QCOMPARE(district.getJson().object(), QJsonObject({{"name", "Южный"}}));
        district.reset();
        QCOMPARE(district.getJson().object(), QJsonObject({{"name", ""}}));

        PositionEditDialog position;
        position.fromData({{"name", "Инженер"}});
        QCOMPARE(position.getJson().object(), QJsonObject({{"name", "Инженер"}}));
        position.fromData({});
        QCOMPARE(position.getJson().object(), QJsonObject({{"name", ""}}));
    }
};

LOMI_TEST_CLASS(EditDialogTest)

#include "tst_editdialog.moc"
