#include "testregistry.h"

#include "global.h"
#include "guitestbase.h"
#include "preloaderwidget.h"
#include "settingsmanager.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

class GlobalTest : public GuiTestBase
{
    Q_OBJECT

    void cleanupTest() override { SettingsManager::instance()->remove("connection/root_url"); }

private slots:
    void endpointResolution_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("root path, relative") << "http://srv:8080/api/" << "persons"
                                             << "http://srv:8080/api/persons";
        QTest::newRow("no final slash replaces the last segment")
            << "http://srv:8080/api" << "persons" << "http://srv:8080/persons";
        QTest::newRow("leading slash replaces the root's path")
            << "http://srv:8080/api/" << "/persons" << "http://srv:8080/persons";
        QTest::newRow("root slash, relative") << "http://srv/" << "persons" << "http://srv/persons";
        QTest::newRow("root slash, absolute") << "http://srv/" << "/persons" << "http://srv/persons";
        QTest::newRow("no path at all, relative") << "http://srv" << "persons"
                                                  << "http://srv/persons";
        QTest::newRow("no path at all, absolute") << "http://srv" << "/persons"
                                                  << "http://srv/persons";
        QTest::newRow("query kept") << "http://srv/api/" << "persons?pretty=true&year=2024"
                                    << "http://srv/api/persons?pretty=true&year=2024";
        QTest::newRow("no root, relative") << "" << "persons" << "persons";
        QTest::newRow("no root, absolute") << "" << "/persons" << "/persons";
    }

    void endpointResolution()
    {
        QFETCH(QString, root);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        if (!root.isEmpty())
            SettingsManager::instance()->setValue("connection/root_url", root);
        QCOMPARE(Global::endpoint(path), expected);
    }

    void endpointReadsTheRootOnEveryCall()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://one/");
        QCOMPARE(Global::endpoint("x"), QString("http://one/x"));
        SettingsManager::instance()->setValue("connection/root_url", "http://two/");
        QCOMPARE(Global::endpoint("x"), QString("http://two/x"));
    }

    void confirmIsTrueOnlyForYes()
    {
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(Global::confirm("Удалить запись?"));
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(!Global::confirm("Удалить запись?"));
        // Escape or the close button: the seam's unqueued answer is the escape one.
        MessageBox::setAnswerUnqueued(true);
        QVERIFY(!Global::confirm("Удалить запись?"));

        const auto shown = MessageBox::history();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.first().title, QString("Вы уверены?"));
        QCOMPARE(shown.first().text, QString("Удалить запись?"));
        QCOMPARE(shown.first().icon, QMessageBox::Question);
    }

    void assertionBoxText()
    {
        MessageBox::setNextAnswer(QMessageBox::Ok);
        Global::warningAssertionFailed("dialog != nullptr", "Client/widgets/simpleviewwidget", 138);
        const auto shown = MessageBox::history();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().title, QString("Assertion failed"));
        QCOMPARE(shown.first().text,
                 QString("Client/widgets/simpleviewwidget:138: dialog != nullptr"));
        QCOMPARE(shown.first().icon, QMessageBox::Warning);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("dateTime");

        QTest::newRow("with ms") << "2024-03-05T14:30:15.123" << "05.03.2024" << "05.03.2024 14:30";
        QTest::newRow("without ms") << "2024-03-05T14:30:00" << "05.03.2024" << "05.03.2024 14:30";
        QTest::newRow("date only") << "2024-03-05" << "05.03.2024" << "05.03.2024 00:00";
        // A zone is shown as written, not converted.
        QTest::newRow("zulu") << "2024-03-05T23:30:00.000Z" << "05.03.2024" << "05.03.2024 23:30";
        QTest::newRow("offset") << "2024-03-05T23:30:00.000+03:00" << "05.03.2024"
                                << "05.03.2024 23:30";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("garbage") << "05.03.2024" << "" << "";
    }

    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QString, date);
        QFETCH(QString, dateTime);
        QCOMPARE(Global::formatDate(text), date);
        QCOMPARE(Global::formatDateTime(text), dateTime);
    }

    void traverseJson()
    {
        const QJsonObject object = QJsonDocument::fromJson(R"({
            "name": "Север", "count": 4, "nothing": null,
            "district": {"id": 3, "name": "Центральный", "inner": {"deep": true}}
        })").object();

        QCOMPARE(Global::traverseJson(object, "name").toString(), QString("Север"));
        QCOMPARE(Global::traverseJson(object, "district.name").toString(), QString("Центральный"));
        QCOMPARE(Global::traverseJson(object, "district.inner.deep").toBool(), true);
        // Missing or non-object steps give null, never undefined.
        QVERIFY(Global::traverseJson(object, "count.name").isNull());
        QVERIFY(Global::traverseJson(object, "missing.name").isNull());
        QVERIFY(Global::traverseJson(object, "nothing.name").isNull());
        QVERIFY(Global::traverseJson(object, "missing").isNull());
        QVERIFY(Global::traverseJson(object, "district.missing").isNull());
        QVERIFY(Global::traverseJson(object, "district").isObject());
        // The caller's object is left untouched.
        QVERIFY(!object.contains("missing"));
    }

    void shortNames_data()
    {
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three words") << "Иванов Пётр Сергеевич" << "П.С. Иванов";
        QTest::newRow("one word") << "Иванов" << " . . Иванов";
        QTest::newRow("two words") << "Иванов Пётр" << "П. . Иванов";
        QTest::newRow("two spaces") << "Иванов  Пётр" << " .П. Иванов";
        QTest::newRow("empty") << "" << " . . ";
        QTest::newRow("extra words ignored") << "Иванов Пётр Сергеевич Оглы" << "П.С. Иванов";
    }

    void shortNames()
    {
        QFETCH(QString, fullName);
        QFETCH(QString, expected);
        QCOMPARE(Global::toShort(fullName), expected);
    }

    void preferencesLiveInTheUsersStore()
    {
        QVERIFY(QStandardPaths::isTestModeEnabled());
        // Opened by its registry path off Windows, the store would be a file
        // of that name in the working directory.
        QTemporaryDir workingDir;
        const QString started = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workingDir.path()));
        Global::setPreference("csvExportPath", "/tmp/exports");
        QCoreApplication::sendPostedEvents();  // QSettings writes at its next event
        QDir::setCurrent(started);
        QCOMPARE(QDir(workingDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "LOMI");
        QCOMPARE(store.value("csvExportPath").toString(), QString("/tmp/exports"));
        QCOMPARE(Global::getPreference("csvExportPath", "x").toString(), QString("/tmp/exports"));
        QCOMPARE(Global::getPreference("absentKey", 42).toInt(), 42);
    }

    void preloaderHasNoCount()
    {
        Global::showPreloader(nullptr);
        Global::showPreloader(nullptr);
        QList<QWidget *> preloaders;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (qobject_cast<PreloaderWidget *>(window))
                preloaders << window;
        }
        QCOMPARE(preloaders.size(), 1);
        QVERIFY(preloaders.first()->isVisible());
        QCOMPARE(preloaders.first()->windowModality(), Qt::ApplicationModal);
        Global::hidePreloader();
        QVERIFY(!preloaders.first()->isVisible());
        QCOMPARE(MessageBox::history().size(), 0);
    }
};

LOMI_TEST_CLASS(GlobalTest)

#include "tst_global.moc"
