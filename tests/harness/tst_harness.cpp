#include "testregistry.h"

#include "filedialog.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "modalhandler.h"
#include "networkmanagerwrapper.h"
#include "permissionmanager.h"
#include "settingsmanager.h"

#include <previewdialog.h>
#include <report.h>

using ReportEngine::PreviewDialog;

class GuiTestBaseTest : public GuiTestBase
{
    Q_OBJECT

private slots:
    void everyDialogNeedsItsAnswer_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("found");
        QTest::newRow("box") << "box shown" << "QMessageBox \"Сведения\": Текст";
        QTest::newRow("file dialog") << "file dialog shown" << "QFileDialog \"Открыть\"";
        QTest::newRow("preview") << "preview shown" << "ReportEngine::PreviewDialog";
        QTest::newRow("modal dialog") << "dialog shown" << "QDialog";
        // As when a check fails inside the handler: the test must not wait.
        QTest::newRow("left open") << "dialog left open"
                                   << "QDialog \"Открыт\" left open by its handler";
        QTest::newRow("box answer") << "box answer" << "1 message box answer(s)";
        QTest::newRow("file name") << "file name" << "1 file name(s)";
        QTest::newRow("preview result") << "preview result" << "1 preview result(s)";
        QTest::newRow("dialog handler") << "dialog handler" << "1 modal dialog handler(s)";
    }

    void everyDialogNeedsItsAnswer()
    {
        QFETCH(QString, left);
        QFETCH(QString, found);
        ReportEngine::Report report;
        if (left == "box shown")
            MessageBox::information(nullptr, "Сведения", "Текст");
        else if (left == "file dialog shown")
            FileDialog::getOpenFileName(nullptr, "Открыть");
        else if (left == "preview shown")
            PreviewDialog(&report).exec();
        else if (left == "dialog shown")
            QDialog().exec();
        else if (left == "dialog left open") {
            QDialog dialog;
            dialog.setWindowTitle("Открыт");
            ModalHandler::onNextDialog<QDialog>([](QDialog *) {});
            QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        }
        else if (left == "box answer")
            MessageBox::setNextAnswer(QMessageBox::Ok);
        else if (left == "file name")
            FileDialog::setNextFileName("a.csv");
        else if (left == "preview result")
            PreviewDialog::setNextResult(0);
        else
            ModalHandler::rejectNext<QDialog>();

        const QString seen = (ModalHandler::unexpectedDialogs() + unusedAnswers()).join("; ");
        QVERIFY2(seen.startsWith(found), qPrintable(seen));
        // Found: nothing is left for the checks after this test.
        resetSeams(false);
    }

    // What a class may change for the whole process; the next class checks it.
    void changeWhatTheNextClassMustNotSee()
    {
        // The short time-out last: a sign-in under it fails on a loaded machine.
        QVERIFY(startServer().signIn(TestEnvironment::adminPassword()));
        NetworkManagerWrapper::setTransferTimeoutForTesting(10);
    }
};

LOMI_TEST_CLASS(GuiTestBaseTest)

class NextClassTest : public QObject
{
    Q_OBJECT

private slots:
    void startsAsTheFirstClassDid()
    {
        QCOMPARE(NetworkManagerWrapper::transferTimeout(), 60000);
        QVERIFY(LoginManager::instance()->getToken().isEmpty());
        QCOMPARE(LoginManager::instance()->getUserId(), -1);
        QVERIFY(!LoginManager::instance()->verify(TestEnvironment::adminPassword()));
        QVERIFY(PermissionManager::instance()->getPermissions().isEmpty());
        QVERIFY(!SettingsManager::instance()->getValue("connection/root_url").isValid());
    }
};

LOMI_TEST_CLASS(NextClassTest)

#include "tst_harness.moc"
