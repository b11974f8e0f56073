#include "testregistry.h"

#include "admintesting.h"
#include "auditexportdialog.h"
#include "auditviewwidget.h"
#include "filedialog.h"
#include "permissionmanager.h"

#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>

// The audit window and the export of one person's entries.
class AuditTest : public AdminTestBase
{
    Q_OBJECT

    QTemporaryDir dir;

    void exportFor(int id, const QString &path)
    {
        ModalHandler::onNextDialog<AuditExportDialog>([id](AuditExportDialog *dialog) {
            dialog->findChild<QSpinBox *>("spinBox")->setValue(id);
            dialog->accept();
        });
        FileDialog::setNextFileName(path);
        window->findChild<QAction *>("exportAuditAction")->trigger();
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn());
        QVERIFY(dir.isValid());
    }

protected:
    void initTest() override
    {
        server().setCollection(
            "audit", {QJsonObject{{"id", 1}, {"when", "2024-03-01T09:05:00.000"}, {"user", "Админ"},
                                  {"where", "Номера"}, {"what", "Изменение"}, {"target", 150}},
                      QJsonObject{{"id", 2}, {"when", "2024-03-02T10:00:00.000"}, {"user", "Админ"},
                                  {"where", "Оплата"}, {"what", "Создание"}, {"target", 7}},
                      QJsonObject{{"id", 3}, {"user", "Админ"}, {"where", "Карточка"},
                                  {"what", "Удаление"}, {"target", 150}}});
    }

private slots:
    void listIsNewestFirstAndReadOnly()
    {
        QWidget *list = openList(window.get(), "auditAction");
        QVERIFY(qobject_cast<AuditViewWidget *>(list));
        QStringList shown;
        for (int row = 0; row < tableOf(list)->model()->rowCount(); ++row)
            shown << tableOf(list)->model()->index(row, 3).data().toString();
        QCOMPARE(shown, QStringList({"Создание", "Изменение", "Удаление"}));
        for (const char *name : {"addButton", "editButton", "removeButton", "copyButton", "printButton"})
            QVERIFY2(!button(list, name)->isVisibleTo(list), name);
        QVERIFY(button(list, "refreshButton")->isVisibleTo(list));

        // The log and the users follow their own nodes; the two global forms need none.
        PermissionManager::instance()->setPermissions({{"users", 1}});
        QStringList enabled;
        for (const char *name : {"auditAction", "usersAction", "payHourAction", "orgInfoAction"})
            enabled << (window->findChild<QAction *>(name)->isEnabled() ? name : "");
        QCOMPARE(enabled, QStringList({"", "usersAction", "payHourAction", "orgInfoAction"}));
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
    }

    void exportWritesOnePersonsEntriesOverTheOldFile()
    {
        const QString path = dir.filePath("audit_person_150.txt");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older and much longer export\n\n\n");
        old.close();

        MessageBox::setNextAnswer(QMessageBox::Ok);
        exportFor(150, path);
        QStringList queries;  // the open audit list may reload too
        for (const StandIn::Request &get : server().requestsTo("GET", "audit"))
            queries << get.query;
        QVERIFY2(queries.contains("target=150"), qPrintable(queries.join(", ")));
        // In the order of the reply, which puts the entry without a date first.
        QCOMPARE(contents(path), QByteArray("[] (Карточка) Удаление\n"
                                            "[01.03.2024 09:05] (Номера) Изменение\n"));
        QCOMPARE(boxTexts("Успех"), QStringList{"Данные успешно экспортированы!"});

        MessageBox::setNextAnswer(QMessageBox::Ok);
        exportFor(99, path);
        QCOMPARE(contents(path), QByteArray());
    }

    void failedExportWritesNothing_data()
    {
        QTest::addColumn<int>("status");  // 0: no failure injected
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("failure envelope") << 200 << true << "Error"
                                          << "Failed to fetch audit: Injected failure";
        QTest::newRow("server error") << 500 << true << "Error" << "Failed to fetch audit: ";
        QTest::newRow("unwritable file") << 0 << false << "Ошибка" << "Не удалось записать файл ";
    }

    void failedExportWritesNothing()
    {
        QFETCH(int, status);
        QFETCH(bool, writable);
        QFETCH(QString, title);
        QFETCH(QString, text);
        const QString path = dir.filePath(QString(writable ? "%1.txt" : "no/such/dir/%1.txt").arg(QTest::currentDataTag()));
        StandIn::Failure failure;
        failure.kind = status == 200 ? StandIn::FailureKind::OkFalse : StandIn::FailureKind::Status;
        failure.status = status;
        if (status != 0)
            server().injectFailure("GET", "audit", failure);
        if (status == 500)
            MessageBox::setNextAnswer(QMessageBox::Ok);  // the transport's "Request failed"
        MessageBox::setNextAnswer(QMessageBox::Ok);

        exportFor(150, path);
        QCOMPARE(boxesTitled(title).size(), 1);
        QVERIFY2(boxTexts(title).first().startsWith(text), qPrintable(boxTexts(title).first()));
        QVERIFY(!QFile::exists(path));
        QVERIFY(boxTexts("Успех").isEmpty());
    }
};

LOMI_TEST_CLASS(AuditTest)

#include "tst_audit.moc"
