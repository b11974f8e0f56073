#include "testregistry.h"

#include "modalhandler.h"
#include "personeditdialog.h"
#include "personsfixture.h"
#include "selectoredit.h"
#include "verificationdialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

using StandIn::Failure;
using StandIn::FailureKind;

class PersonCardTest : public PersonsTestBase
{
    Q_OBJECT

    static QStringList enabledAddButtons(PersonEditDialog &card)
    {
        QStringList enabled;
        for (const char *name : {"accommodationAddButton", "paymentAddButton",
                                 "extraServiceAddButton", "paidEduReceiptAddButton"}) {
            if (button(&card, name)->isEnabled())
                enabled << name;
        }
        return enabled;
    }

    QJsonObject lastBody(const QByteArray &method, const QString &path)
    {
        const auto requests = server().requestsTo(method, path);
        return requests.isEmpty() ? QJsonObject() : requests.last().json().object();
    }

    static void leaveCodeField(PersonEditDialog &card, const QString &code)
    {
        auto *field = child<QLineEdit>(card, "orgCodeLineEdit");
        field->setText(code);
        emit field->editingFinished();
    }

    void initTest() override
    {
        PersonsTestBase::initTest();
        QVERIFY(environment().signIn("admin"));
    }

private slots:
    // A field that has the focus finishes its editing while the card is taken apart.
    void aCardClosedDuringAnEditTakesItselfApartQuietly_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("name") << "fioLineEdit";
        QTest::newRow("organization code") << "orgCodeLineEdit";
    }

    void aCardClosedDuringAnEditTakesItselfApartQuietly()
    {
        QFETCH(QString, field);
        auto card = std::make_unique<PersonEditDialog>();
        card->setupFromId(1);
        card->show();
        QApplication::setActiveWindow(card.get());
        auto *edit = card->findChild<QLineEdit *>(field);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        typeInto(edit, "ф");
        const auto before = server().requests().size();
        card.reset();
        QCOMPARE(server().requests().size(), before);
    }

    void newCardStatesAndTheEnterKey()
    {
        PersonEditDialog card;
        card.show();
        QCOMPARE(child<QLabel>(card, "totalLabel")->text(), QString("0,00"));
        card.setupFromId(-1);
        QCOMPARE(child<QLabel>(card, "totalLabel")->text(), QString("0.00"));
        QCOMPARE(child<QLabel>(card, "leftLabel")->text(), QString("0.00"));
        QCOMPARE(enabledAddButtons(card), QStringList());
        QVERIFY(button(&card, "registerWithoutAccommodationButton")->isEnabled());
        QVERIFY(!button(&card, "accommodationCancelButton")->isEnabled());
        QSignalSpy printed(&card, &PersonEditDialog::printRequested);
        button(&card, "printRCPushButton")->click();
        QCOMPARE(printed.size(), 0);

        auto *name = child<QLineEdit>(card, "fioLineEdit");
        typeInto(name, "И");
        QCOMPARE(enabledAddButtons(card), QStringList{"accommodationAddButton"});
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(enabledAddButtons(card), QStringList());

        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(card.focusWidget(), child(card, "birthDateLineEdit"));
        QTest::keyClick(card.focusWidget(), Qt::Key_Enter);
        QCOMPARE(card.focusWidget(), child(card, "genderComboBox"));
        QVERIFY(card.isVisible());
        QCOMPARE(server().requests().size(), 0);
    }

    void identityDocumentLock()
    {
        PersonEditDialog card;
        card.setupFromId(1);
        auto *number = child<QLineEdit>(card, "docNumberLineEdit");
        QCOMPARE(number->text(), QString("123456"));
        QVERIFY(!number->isEnabled());
        QCOMPARE(number->echoMode(), QLineEdit::Password);

        auto answer = [](const QString &password) {
            ModalHandler::onNextDialog<VerificationDialog>([password](VerificationDialog *d) {
                d->findChild<QLineEdit *>("passwordLineEdit")->setText(password);
                d->findChild<QPushButton *>("loginButton")->click();
            });
        };
        answer("wrong");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        button(&card, "toggleSensitiveButton")->click();
        QCOMPARE(boxTexts("Ошибка"), QStringList{"Авторизация не удалась."});
        QVERIFY(!number->isEnabled());

        answer("admin");
        button(&card, "toggleSensitiveButton")->click();
        QVERIFY(number->isEnabled() && child(card, "docGiveDateEdit")->isEnabled());
        QCOMPARE(number->echoMode(), QLineEdit::Normal);

        button(&card, "toggleSensitiveButton")->click();  // hides without asking
        QVERIFY(!number->isEnabled());
        QCOMPARE(number->echoMode(), QLineEdit::Password);
    }

    void dataUpdatedFollowsWritesOnly()
    {
        PersonEditDialog card;
        QSignalSpy updated(&card, &PersonEditDialog::dataUpdated);
        card.setupFromId(1);
        leaveCodeField(card, "A-1");
        QCOMPARE(updated.size(), 0);
        QVERIFY(card.write());
        QCOMPARE(updated.size(), 1);
        card.setupFromId(-1);
        fillIn(&card, "fioLineEdit", "Новиков");
        QVERIFY(card.write());
        QCOMPARE(updated.size(), 2);
    }

    void loadAndSaveAPerson()
    {
        PersonEditDialog card;
        card.setupFromId(1);
        QCOMPARE(card.windowTitle(), QString("Иванов Сергей Петрович"));
        QCOMPARE(child<QAbstractItemView>(card, "accommodationTableView")->model()->rowCount(), 1);
        QCOMPARE(enabledAddButtons(card).size(), 4);
        QTRY_COMPARE(child<SelectorEdit>(card, "streamSelectorEdit")->getDisplayValue(),
                     QString("Поток 1 (01.06.2026 - 30.06.2026)"));
        QCOMPARE(child<QLabel>(card, "curriculumLabel")->text(), QString("Охрана труда (72 ч.)"));

        QVERIFY(card.write());
        const QJsonObject expected{
            {"surname", "Иванов"}, {"name", "Сергей"}, {"lastname", "Петрович"},
            {"phone", "+7 916 123-45-67"}, {"birthDate", "1979-04-12T00:00:00.000"}, {"gender", 0},
            {"address", "г. Тверь, ул. Лесная, 5"},
            {"sensitive", QJsonObject{{"type", "Паспорт гражданина РФ"}, {"series", "45 09"},
                                      {"number", "123456"}, {"date", "2004-05-20T00:00:00.000"},
                                      {"whom", "ОВД Хамовники"}}},
            {"comments", "VIP+"}, {"externalId", 5001},
            {"organizationId", 1}, {"positionId", 1}, {"streamId", 1}};
        QCOMPARE(lastBody("PUT", "persons/1"), expected);

        // Nothing chosen and no external id: the keys are left out.
        card.setupFromId(4);
        QVERIFY(card.write());
        const QJsonObject bare = lastBody("PUT", "persons/4");
        for (const char *key : {"externalId", "organizationId", "positionId", "streamId", "adminId"})
            QVERIFY2(!bare.contains(key), key);
    }

    // The issue date is locked from view: one left over from the person
    // shown before would be saved unseen.
    void issueDateOfAPersonWithoutOne_data()
    {
        QTest::addColumn<int>("person");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::newRow("a new person") << -1 << QByteArray("POST") << "persons";
        QTest::newRow("a loaded person without one") << 2 << QByteArray("PUT") << "persons/2";
    }

    void issueDateOfAPersonWithoutOne()
    {
        QFETCH(int, person);
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        PersonEditDialog card;
        card.setupFromId(1);
        card.setupFromId(person);
        if (person == -1)
            fillIn(&card, "fioLineEdit", "Новиков");
        QVERIFY(card.write());
        QCOMPARE(lastBody(method, path).value("sensitive").toObject().value("date"),
                 QJsonValue("1900-01-01T00:00:00.000"));
    }

    void nameParts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("parts");  // surname, name, lastname
        QTest::newRow("one word") << "Иванов" << QStringList{"Иванов", "", ""};
        QTest::newRow("three words") << "Иванов Иван Иванович" << QStringList{"Иванов", "Иван", "Иванович"};
        QTest::newRow("four words") << "Мамедов Ахмед Али оглы" << QStringList{"Мамедов", "Ахмед", "Али оглы"};
    }

    void nameParts()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, parts);
        PersonEditDialog card;
        card.setupFromId(2);
        fillIn(&card, "fioLineEdit", typed);
        QVERIFY(card.write());
        const QJsonObject body = lastBody("PUT", "persons/2");
        QCOMPARE((QStringList{body.value("surname").toString(), body.value("name").toString(),
                              body.value("lastname").toString()}),
                 parts);
    }

    void fixFullname_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("blanks and initials") << "  иванов   пётр  " << "Иванов Пётр";
        QTest::newRow("only the first letter") << "мак-дональд иВАН" << "Мак-дональд ИВАН";
        QTest::newRow("ё, digits and Latin") << "ёжиков 2-й o'neil" << "Ёжиков 2-й O'neil";
        QTest::newRow("blank") << "   " << "";
    }

    void fixFullname()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fixed);
        PersonEditDialog card;
        fillIn(&card, "fioLineEdit", typed);
        card.fixFullname();
        QCOMPARE(fieldText(&card, "fioLineEdit"), fixed);
    }

    void billNumber_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("shown");  // empty: the frame is hidden
        QTest::newRow("none") << 0 << "";
        QTest::newRow("short") << 7 << "0007";
        QTest::newRow("long") << 12345 << "12345";
    }

    void billNumber()
    {
        QFETCH(int, number);
        QFETCH(QString, shown);
        QJsonObject person = server().record("persons", 2);
        person.insert("billNum", number);
        server().setRecord("persons", person);
        PersonEditDialog card;
        card.setupFromId(2);
        QCOMPARE(child(card, "billNumberWrapper")->isVisibleTo(&card), !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(child<QLabel>(card, "billNumberLabel")->text(), shown);
    }

    void registrationMark_data()
    {
        QTest::addColumn<int>("person");
        QTest::addColumn<bool>("registerEnabled");
        QTest::addColumn<bool>("cancelEnabled");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QJsonValue>("adminId");  // undefined: not sent
        QTest::newRow("no admin, registered") << 2 << true << false
                                              << "registerWithoutAccommodationButton" << QJsonValue(1);
        QTest::newRow("by this user, cancelled") << 1 << false << true << "accommodationCancelButton"
                                                 << QJsonValue(-1);
        QTest::newRow("by another user") << 3 << false << false << "" << QJsonValue(QJsonValue::Undefined);
    }

    void registrationMark()
    {
        QFETCH(int, person);
        QFETCH(bool, registerEnabled);
        QFETCH(bool, cancelEnabled);
        QFETCH(QString, pressed);
        QFETCH(QJsonValue, adminId);
        PersonEditDialog card;
        card.setupFromId(person);
        QCOMPARE(button(&card, "registerWithoutAccommodationButton")->isEnabled(), registerEnabled);
        QCOMPARE(button(&card, "accommodationCancelButton")->isEnabled(), cancelEnabled);
        if (!pressed.isEmpty())
            button(&card, qPrintable(pressed))->click();
        QVERIFY(card.write());
        QCOMPARE(lastBody("PUT", QStringLiteral("persons/%1").arg(person)).value("adminId"), adminId);
    }

    void aNewPersonIsPostedAndShown()
    {
        PersonEditDialog card;
        card.setupFromId(-1);
        QCOMPARE(card.windowTitle(), QString("Регистрационная карта"));
        fillIn(&card, "fioLineEdit", "Новиков Олег");
        QVERIFY(card.write());
        QCOMPARE(lastBody("POST", "persons").value("surname"), QJsonValue("Новиков"));
        QCOMPARE(server().requestsTo("GET", "persons/7").size(), 1);
        QCOMPARE(card.windowTitle(), QString("Новиков Олег"));
        QCOMPARE(enabledAddButtons(card).size(), 4);
        QVERIFY(card.write());
        QCOMPARE(server().requestsTo("PUT", "persons/7").size(), 1);
    }

    void organizationByCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("reply");  // empty: the server's own
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("shown");
        QTest::newRow("known") << "A-1" << QByteArray() << 1 << "A-1";
        QTest::newRow("unknown") << "ZZ" << QByteArray() << 2 << "B-2";
        QTest::newRow("a reply without id") << "A-1" << QByteArray(R"({"name": "Альфа"})") << 2 << "B-2";
        QTest::newRow("an ampersand") << "A&B" << QByteArray() << 3 << "A&B";
    }

    void organizationByCode()
    {
        QFETCH(QString, code);
        QFETCH(QByteArray, reply);
        QFETCH(int, id);
        QFETCH(QString, shown);
        PersonEditDialog card;
        card.setupFromId(2);
        QTRY_COMPARE(fieldText(&card, "orgCodeLineEdit"), QString("B-2"));
        // Only the lookup's answer, not the selector's reload.
        if (!reply.isEmpty())
            server().injectFailure("GET", "organizations", Failure{FailureKind::Status, 200, reply, 1});
        leaveCodeField(card, code);
        QTRY_COMPARE(fieldText(&card, "orgCodeLineEdit"), shown);
        QCOMPARE(child<SelectorEdit>(card, "orgSelectorEdit")->getSelectedId(), id);
        QStringList lookups;
        for (const StandIn::Request &request : server().requestsTo("GET", "organizations")) {
            if (request.query.startsWith("code="))
                lookups << request.query;
        }
        QCOMPARE(lookups, QStringList{"code=" + QUrl::toPercentEncoding(code)});
    }

    void aFailedLoadIsNeverSaved_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::newRow("server error") << int(FailureKind::Status) << "Request failed";
        QTest::newRow("refusal in a 200") << int(FailureKind::OkFalse) << "Ошибка";
    }

    void aFailedLoadIsNeverSaved()
    {
        QFETCH(int, kind);
        QFETCH(QString, box);
        server().injectFailure("GET", "persons/1", Failure{FailureKind(kind)});
        PersonEditDialog card;
        MessageBox::setNextAnswer(QMessageBox::Ok);
        card.setupFromId(1);
        QCOMPARE(boxesTitled(box).size(), 1);
        QCOMPARE(enabledAddButtons(card), QStringList());
        QVERIFY(!button(&card, "writePushButton")->isEnabled());
        QVERIFY(!child<QDialogButtonBox>(card, "buttonBox")->button(QDialogButtonBox::Ok)->isEnabled());
        QVERIFY(!card.write());
        QCOMPARE(server().requestsTo("PUT", "persons/1").size() + server().requestsTo("POST", "persons").size(), 0);

        server().clearFailures();
        button(&card, "refreshPushButton")->click();
        QCOMPARE(fieldText(&card, "fioLineEdit"), QString("Иванов Сергей Петрович"));
        QVERIFY(button(&card, "writePushButton")->isEnabled());
    }

    void okClosesTheCardOnlyOnceSaved_data()
    {
        QTest::addColumn<int>("person");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::newRow("a PUT refused") << 1 << QByteArray("PUT") << "persons/1"
                                       << int(FailureKind::Status) << "Request failed";
        QTest::newRow("a POST without id") << -1 << QByteArray("POST") << "persons"
                                           << int(FailureKind::OkFalse) << "Ошибка";
    }

    void okClosesTheCardOnlyOnceSaved()
    {
        QFETCH(int, person);
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, box);
        PersonEditDialog card;
        card.setupFromId(person);
        card.show();
        fillIn(&card, "fioLineEdit", "Иванов Пётр");
        server().injectFailure(method, path, Failure{FailureKind(kind)});
        MessageBox::setNextAnswer(QMessageBox::Ok);
        press(&card, QDialogButtonBox::Ok);
        QCOMPARE(boxesTitled(box).size(), 1);
        QVERIFY(card.isVisible());
        QCOMPARE(fieldText(&card, "fioLineEdit"), QString("Иванов Пётр"));

        server().clearFailures();
        press(&card, QDialogButtonBox::Ok);
        QVERIFY(!card.isVisible());
        QCOMPARE(server().requestsTo(method, path).size(), 2);
    }

    void aSecondSaveWhileTheFirstIsOutSendsNothing()
    {
        PersonEditDialog card;
        card.setupFromId(-1);
        fillIn(&card, "fioLineEdit", "Новиков");
        Failure slow{FailureKind::Delay};
        slow.delayMs = 300;
        server().injectFailure("POST", "persons", slow);
        // Runs inside the first save's wait.
        QTimer::singleShot(0, &card, [&] { button(&card, "writePushButton")->click(); });
        button(&card, "writePushButton")->click();
        QCOMPARE(server().requestsTo("POST", "persons").size(), 1);
    }
};

LOMI_TEST_CLASS(PersonCardTest)

#include "tst_personcard.moc"
