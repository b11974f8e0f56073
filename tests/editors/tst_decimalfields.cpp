#include "testregistry.h"

#include "contractsjournalwidget.h"
#include "extraserviceeditdialog.h"
#include "guitestbase.h"
#include "paymenteditdialog.h"
#include "paytypeeditdialog.h"
#include "propertyeditdialog.h"
#include "rateeditdialog.h"

#include <QDoubleSpinBox>
#include <QUrlQuery>

namespace {

// An amount or rate field: the window that holds it, made ready for a new
// record, and the number that window sends for it.
struct DecimalField
{
    const char *name;
    std::function<QWidget *()> make;
    const char *spinBox;
    std::function<QJsonValue(QWidget *)> sent;
};

template<class Editor>
DecimalField editorField(const char *name, const char *spinBox, const char *key)
{
    return {name,
            [] {
                auto *editor = new Editor;
                editor->reset();
                return editor;
            },
            spinBox,
            [key](QWidget *editor) {
                return static_cast<Editor *>(editor)->getJson().object().value(QLatin1String(key));
            }};
}

}  // namespace

// Every decimal field takes a point and a comma alike: under the Russian
// locale a plain spin box dropped the point, and "5000.5" was saved as 50005.
class DecimalFieldsTest : public GuiTestBase
{
    Q_OBJECT

    QList<DecimalField> fields()
    {
        return {
            editorField<PaymentEditDialog>("payment", "paidSpinBox", "summ"),
            editorField<RateEditDialog>("rate, per day", "costSpinBox", "cost"),
            editorField<RateEditDialog>("rate, per hour", "hourCostSpinBox", "hourCost"),
            editorField<PayTypeEditDialog>("pay type, contract", "contractCostSpinBox", "contractCost"),
            editorField<PropertyEditDialog>("property", "costSpinBox", "cost"),
            editorField<ExtraServiceEditDialog>("extra service", "rateSpinBox", "rate"),
            {"contracts journal, forecast rate", [] { return new ContractsJournalWidget; }, "futureSpinBox",
             [this](QWidget *journal) {
                 static_cast<ContractsJournalWidget *>(journal)->handleUpdate();
                 const auto requested = [this] { return server().requestsTo("GET", "payments/contracts"); };
                 if (!QTest::qWaitFor([&] { return !requested().isEmpty(); }))
                     return QJsonValue();
                 const QString query = requested().first().query;
                 return QJsonValue(QUrlQuery(query).queryItemValue("rate").toDouble());
             }},
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startServer(fixtureFile(LOMI_TEST_DATA_DIR "/fixture.json")).signIn("admin"));
    }

    void eitherSeparatorIsTheDecimalOne_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        for (int i = 0; i < fields().size(); ++i) {
            for (const char *typed : {"5000.5", "5000,5"})
                QTest::addRow("%s, %s", fields().at(i).name, typed) << i << QString::fromLatin1(typed);
        }
    }

    void eitherSeparatorIsTheDecimalOne()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        const DecimalField f = fields().at(field);
        const std::unique_ptr<QWidget> window(f.make());
        auto *spinBox = window->findChild<QDoubleSpinBox *>(QString::fromLatin1(f.spinBox));
        QVERIFY(spinBox && spinBox->inherits("DecimalSpinBox"));
        spinBox->clear();
        QTest::keyClicks(spinBox, typed);
        QCOMPARE(spinBox->text(), QString("5000,5"));
        QCOMPARE(spinBox->value(), 5000.5);
        QCOMPARE(f.sent(window.get()), QJsonValue(5000.5));
    }
};

LOMI_TEST_CLASS(DecimalFieldsTest)

#include "tst_decimalfields.moc"
