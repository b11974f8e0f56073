#include "testregistry.h"

#include "clock.h"
#include "directorycolumns.h"
#include "extraserviceeditdialog.h"
#include "guitestbase.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "paytypeeditdialog.h"
#include "requesttablemodel.h"
#include "roomeditdialog.h"
#include "selectoredit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>

namespace {

using Step = std::function<void(QDialog *)>;

SelectorEdit *selector(QWidget *editor, const char *name)
{
    return editor->findChild<SelectorEdit *>(QString::fromLatin1(name));
}

QString selectorLabel(QWidget *editor, const char *name)
{
    return selector(editor, name)->findChild<QLabel *>("displayValueLabel")->text();
}

Step type(const char *field, const QString &text)
{
    return [=](QDialog *d) { d->findChild<QLineEdit *>(QString::fromLatin1(field))->setText(text); };
}

Step choose(const char *field, int id)
{
    return [=](QDialog *d) { selector(d, field)->setSelectedId(id); };
}

Step steps(const QList<Step> &all)
{
    return [=](QDialog *d) {
        for (const Step &step : all)
            step(d);
    };
}

// A list window of the main window: the row copied and edited, the body that
// copy and edit send for it (edit adds the id), how a new record is filled
// in and what "Добавить" sends after the edit.
struct ListCase
{
    const char *action;
    const char *path;
    int id;
    QJsonObject row;
    Step fillNew;
    QJsonObject added;
};

const QList<ListCase> &listCases()
{
    static const QList<ListCase> cases = {
        {"organizationAction", "/organizations", 1,
         {{"archived", true}, {"code", "А-1"}, {"inn", "111"}, {"name", "Альфа"}, {"regionId", 1}},
         steps({type("nameLineEdit", "Гамма"), type("codeLineEdit", "Г-3"), choose("regionSelectorEdit", 2)}),
         {{"archived", false}, {"code", "Г-3"}, {"inn", ""}, {"name", "Гамма"}, {"regionId", 2}}},
        {"registerCurriculumAction", "/curriculums", 2,
         {{"archived", false}, {"base", "Договор"}, {"cost", 1500.5}, {"externalId", 1002},
          {"name", "Пожарная безопасность"}, {"paid", true}, {"value", 72}},
         type("nameLineEdit", "Сварка"),
         {{"archived", false}, {"base", ""}, {"cost", 0}, {"externalId", 0}, {"name", "Сварка"},
          {"paid", false}, {"value", 0}}},
        {"registerStreamAction", "/streams", 1,
         {{"curriculumId", 2}, {"endDate", "2024-03-15T00:00:00.000"}, {"externalId", 77}, {"name", "ПБ-1"},
          {"startDate", "2024-03-01T00:00:00.000"}},
         steps({type("nameLineEdit", "ОТ-5"), choose("curriculumSelectorWidget", 1)}),
         {{"curriculumId", 1}, {"endDate", "2024-05-20T00:00:00.000"}, {"externalId", 0}, {"name", "ОТ-5"},
          {"startDate", "2024-05-20T00:00:00.000"}}},
        // "Добавить" keeps the period of the rate edited before.
        {"ratesAction", "/rates", 1,
         {{"base", "Приказ № 5"}, {"comments", "с балконом"}, {"cost", 2500.5},
          {"endDate", "2024-12-31T00:00:00.000"}, {"hourCost", 104.25}, {"name", "Семейный"},
          {"notes", "ремонт"}, {"primary", true}, {"size", 120}, {"startDate", "2024-01-01T00:00:00.000"},
          {"type", "Люкс"}},
         steps({type("name", "Эконом"), type("type", "Двухместный")}),
         {{"base", ""}, {"comments", ""}, {"cost", 0}, {"endDate", "2024-12-31T00:00:00.000"}, {"hourCost", 0},
          {"name", "Эконом"}, {"notes", ""}, {"primary", false}, {"size", 0},
          {"startDate", "2024-01-01T00:00:00.000"}, {"type", "Двухместный"}}},
        // The payer of pay type 2 is archived: the selector does not list it.
        {"payTypeAction", "/pay_type", 2,
         {{"attribute", -1}, {"contractCost", 1000.5}, {"endDate", "2025-01-31T00:00:00.000"},
          {"name", "Контракт"}, {"payerId", 1}, {"startDate", "2024-02-01T00:00:00.000"}},
         steps({type("nameLineEdit", "Договор"), choose("payerSelector", 3)}),
         {{"attribute", 0}, {"contractCost", 0}, {"endDate", "2024-05-20T00:00:00.000"}, {"name", "Договор"},
          {"payerId", 3}, {"startDate", "2024-05-20T00:00:00.000"}}},
        {"propertyAction", "/properties", 1,
         {{"archived", false}, {"cost", 1500.5}, {"name", "Утюг"}, {"number", "ИН-01"}},
         type("nameLineEdit", "Лампа"),
         {{"archived", false}, {"cost", 0}, {"name", "Лампа"}, {"number", ""}}},
    };
    return cases;
}

// An editor refusing records: the labels named in turn, each followed by
// the step that fills the field just named. A null action is an editor of
// the rooms or extra-services window, run alone.
struct ValidationCase
{
    const char *action;
    std::function<EditDialog *()> standalone;
    QStringList labels;
    QList<Step> fills;
};

const QList<ValidationCase> &validationCases()
{
    static const QList<ValidationCase> cases = {
        {"organizationAction", nullptr, {"Код", "Наименование", "Регион"},
         {type("codeLineEdit", "Г-3"), type("nameLineEdit", "Гамма"), choose("regionSelectorEdit", 2)}},
        {"registerCurriculumAction", nullptr, {"Наименование"}, {type("nameLineEdit", "Сварка")}},
        {"registerStreamAction", nullptr, {"Образовательная программа", "Наименование"},
         {choose("curriculumSelectorWidget", 2), type("nameLineEdit", "ОТ-5")}},
        {"ratesAction", nullptr, {"Наименование", "Тип"}, {type("name", "Эконом"), type("type", " ")}},
        {"propertyAction", nullptr, {"Наименование"}, {type("nameLineEdit", "Лампа")}},
        {nullptr, [] { return new ExtraServiceEditDialog; }, {"Основание", "Ед. Изм.", "Наименование"},
         {type("baseLineEdit", "Приказ"), type("unitLineEdit", "кг"), type("nameLineEdit", "Стирка")}},
        {nullptr, [] { return new RoomEditDialog; }, {"Номер"}, {type("numLineEdit", "12Б")}},
    };
    return cases;
}

}  // namespace

// The six directory editors driven through their list windows against the
// stand-in server: what goes over the wire for add, copy and edit, what is
// refused, and how references, numbers and choices are read from the rows.
class DirectoryEditorsTest : public GuiTestBase
{
    Q_OBJECT

    // Every request but the reads, as "METHOD path" and the body.
    QStringList writes()
    {
        QStringList result;
        for (const StandIn::Request &r : server().requests()) {
            if (r.method != "GET")
                result << QString::fromLatin1(r.method) + ' ' + r.path + '\n' + QString::fromUtf8(r.body);
        }
        return result;
    }

    static QString write(const char *method, const QString &path, const QJsonObject &body)
    {
        return QString::fromLatin1(method) + ' ' + path + '\n' + QString::fromUtf8(indented(body));
    }

    // Answers the editor that `buttonName` opens for the row `id` (0: none)
    // and waits for the list to reload after the write.
    static bool writesAfter(QWidget *list, const char *buttonName, int id, const Step &answer)
    {
        if (id > 0 && !selectId(list, id))
            return false;
        ModalHandler::onNextDialog<EditDialog>([answer](EditDialog *d) { answer(d); });
        return reloadsAfter(list, [&] { button(list, buttonName)->click(); });
    }

    static void ok(QDialog *d) { press(d, QDialogButtonBox::Ok); }

    // The main window shows itself at the sign-in, long done by now.
    static QWidget *openDirectory(MainWindow &window, const char *action)
    {
        window.show();
        return openList(&window, action);
    }

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(QDate(2024, 5, 20), QTime(9, 30)));
        QVERIFY(startServer(fixtureFile(LOMI_TEST_DATA_DIR "/fixture.json")).signIn("admin"));
    }

    void cleanupTestCase() { Clock::setNow(QDateTime()); }

    void copyEditThenAdd_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < listCases().size(); ++i)
            QTest::newRow(listCases().at(i).action) << i;
    }

    void copyEditThenAdd()
    {
        QFETCH(int, index);
        const ListCase &c = listCases().at(index);
        MainWindow window;
        QWidget *list = openDirectory(window, c.action);
        QVERIFY(list);

        QVERIFY(writesAfter(list, "copyButton", c.id, ok));
        QVERIFY(writesAfter(list, "editButton", c.id, ok));
        QVERIFY(writesAfter(list, "addButton", 0, [&c](QDialog *d) {
            c.fillNew(d);
            ok(d);
        }));
        QJsonObject edited = c.row;
        edited.insert("id", c.id);
        QCOMPARE(writes(), QStringList({write("POST", c.path, c.row),
                                        write("PUT", QStringLiteral("%1/%2").arg(c.path).arg(c.id), edited),
                                        write("POST", c.path, c.added)}));
    }

    void firstMissingFieldIsNamedAndNothingSent_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < validationCases().size(); ++i)
            QTest::newRow(validationCases().at(i).labels.join(", ").toUtf8()) << i;
    }

    void firstMissingFieldIsNamedAndNothingSent()
    {
        QFETCH(int, index);
        const ValidationCase &c = validationCases().at(index);
        QStringList expected;
        ModalHandler::onNextDialog<EditDialog>(ok);
        for (int i = 0; i < c.labels.size(); ++i) {
            expected << c.labels.at(i) + ": Требуется значение";
            MessageBox::setNextAnswer(QMessageBox::Ok);
            const Step fill = c.fills.at(i);
            ModalHandler::onNextDialog<EditDialog>([fill](EditDialog *d) {
                fill(d);
                ok(d);
            });
        }

        if (c.standalone) {
            std::unique_ptr<EditDialog> editor(c.standalone());
            editor->reset();
            QCOMPARE(editor->exec(), int(QDialog::Accepted));
        } else {
            MainWindow window;
            QWidget *list = openDirectory(window, c.action);
            QVERIFY(list);
            QVERIFY(reloadsAfter(list, [list] { button(list, "addButton")->click(); }));
            QCOMPARE(writes().size(), 1);
        }
        QCOMPARE(boxTexts("Ошибка"), expected);
    }

    // Row 2 has no nested record: the field must be empty, not record 0,
    // whatever row 1, edited before, chose.
    void rowWithoutReferenceIsRefused_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("label");
        QTest::newRow("organization") << "organizationAction" << "Регион";
        QTest::newRow("stream") << "registerStreamAction" << "Образовательная программа";
    }

    void rowWithoutReferenceIsRefused()
    {
        QFETCH(QString, action);
        QFETCH(QString, label);
        MainWindow window;
        QWidget *list = openDirectory(window, action.toLatin1());
        QVERIFY(list);

        QVERIFY(selectId(list, 1));
        ModalHandler::rejectNext<EditDialog>();
        button(list, "editButton")->click();
        QVERIFY(selectId(list, 2));
        ModalHandler::onNextDialog<EditDialog>(ok);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        ModalHandler::rejectNext<EditDialog>();
        button(list, "editButton")->click();

        QCOMPARE(boxTexts("Ошибка"), QStringList{label + ": Требуется значение"});
        // A write sent by mistake would arrive before this reload.
        QVERIFY(reloadsAfter(list, [list] { button(list, "refreshButton")->click(); }));
        QCOMPARE(writes(), QStringList());
    }

    // A payer the row does not name in full is no payer: the body carries no
    // "payerId", never 0 and never the previous row's.
    void payTypeWithoutPayerIdWritesNone_data()
    {
        QTest::addColumn<QJsonObject>("payType");
        const QJsonObject plain{{"id", 9}, {"name", "Наличные"}, {"attribute", 1}};
        QJsonObject withoutId = plain;
        withoutId.insert("payer", QJsonObject{{"name", "ООО «Ромашка»"}});
        QJsonObject nullPayer = plain;
        nullPayer.insert("payer", QJsonValue::Null);
        QTest::newRow("no payer") << plain;
        QTest::newRow("payer without id") << withoutId;
        QTest::newRow("null payer") << nullPayer;
    }

    void payTypeWithoutPayerIdWritesNone()
    {
        QFETCH(QJsonObject, payType);
        const QJsonObject contract{{"id", 8}, {"name", "Контракт"}, {"payer", QJsonObject{{"id", 3}, {"name", "Вега"}}}};
        RequestTableModel rows;
        rows.setHeaders(DirectoryColumns::payTypes().headers());
        rows.setJson(QJsonDocument(QJsonArray{contract, payType}));

        PayTypeEditDialog editor;
        editor.fromModel(rows.index(0, 0));
        QCOMPARE(editor.getJson().object().value("payerId"), QJsonValue(3));
        editor.fromModel(rows.index(1, 0));
        QVERIFY(!editor.getJson().object().contains("payerId"));
        QCOMPARE(selectorLabel(&editor, "payerSelector"), QString("Не выбрано"));
    }

    // The selector lists payer 3 but not the archived payer 1 of pay type
    // 2: the field must not go on showing the payer chosen before.
    void archivedPayerIsShownByItsName()
    {
        MainWindow window;
        QWidget *list = openDirectory(window, "payTypeAction");
        QVERIFY(list);
        QVERIFY(selectId(list, 2));
        QString shown;
        ModalHandler::onNextDialog<PayTypeEditDialog>([](PayTypeEditDialog *d) {
            selector(d, "payerSelector")->setSelectedId(3);
            QTRY_COMPARE(selectorLabel(d, "payerSelector"), QString("Вега"));
            d->reject();
        });
        ModalHandler::onNextDialog<PayTypeEditDialog>([&shown](PayTypeEditDialog *d) {
            shown = selectorLabel(d, "payerSelector");
            d->reject();
        });
        button(list, "editButton")->click();
        button(list, "editButton")->click();
        QCOMPARE(shown, QString("Альфа"));
    }

    void payTypeAttributeFollowsTheRow()
    {
        MainWindow window;
        QWidget *list = openDirectory(window, "payTypeAction");
        QVERIFY(list);
        QStringList shown;
        const auto look = [&shown](PayTypeEditDialog *d) {
            shown << d->findChild<QComboBox *>("attributeComboBox")->currentText();
        };
        for (int id : {1, 2}) {
            QVERIFY(selectId(list, id));
            ModalHandler::onNextDialog<PayTypeEditDialog>([&](PayTypeEditDialog *d) {
                look(d);
                d->reject();
            });
            button(list, "editButton")->click();
        }
        // Attribute 5 is none of the three: the choice left by the previous row is saved.
        QVERIFY(writesAfter(list, "editButton", 3, [&](QDialog *d) {
            look(qobject_cast<PayTypeEditDialog *>(d));
            ok(d);
        }));
        QCOMPARE(shown, QStringList({"Оплачено", "Возврат", "Возврат"}));
        QCOMPARE(server().requestsTo("PUT", "pay_type/3").value(0).json().object().value("attribute"),
                 QJsonValue(-1));
    }

    // Typed under the Russian locale; the price field is disabled again
    // before Ok and its price still saved.
    void curriculumPriceTakesEitherSeparator_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("saved");
        QTest::newRow("comma") << "1500,50" << 1500.5;
        QTest::newRow("point") << "1500.50" << 1500.5;
        QTest::newRow("third decimal refused") << "1500,505" << 1500.5;
        QTest::newRow("letters refused") << "15о00" << 1500.0;
    }

    void curriculumPriceTakesEitherSeparator()
    {
        QFETCH(QString, typed);
        QFETCH(double, saved);
        MainWindow window;
        QWidget *list = openDirectory(window, "registerCurriculumAction");
        QVERIFY(list);
        bool enabledWhileUnpaid = true;
        QVERIFY(writesAfter(list, "addButton", 0, [&](QDialog *d) {
            fillIn(d, "nameLineEdit", "Сварка");
            auto *paid = d->findChild<QCheckBox *>("paidCheckBox");
            auto *cost = d->findChild<QLineEdit *>("costLineEdit");
            paid->setChecked(true);
            typeInto(cost, typed);
            paid->setChecked(false);
            enabledWhileUnpaid = cost->isEnabled();
            ok(d);
        }));
        QVERIFY(!enabledWhileUnpaid);
        const QJsonObject body = server().requestsTo("POST", "curriculums").value(0).json().object();
        QCOMPARE(body.value("cost"), QJsonValue(saved));
        QCOMPARE(body.value("paid"), QJsonValue(false));
    }
};

LOMI_TEST_CLASS(DirectoryEditorsTest)

#include "tst_directoryeditors.moc"
