#include "testregistry.h"

#include "connectionsettingsdialog.h"
#include "guitestbase.h"
#include "modalhandler.h"
#include "settingsmanager.h"

#include <QLineEdit>
#include <QSettings>

class ConnectionSettingsTest : public GuiTestBase
{
    Q_OBJECT

    static QVariant stored() { return SettingsManager::instance()->getValue("connection/root_url"); }

    void initTest() override { SettingsManager::instance()->remove("connection/root_url"); }

private slots:
    void noRootStoredReadsAsInvalid()
    {
        QVERIFY(!stored().isValid());
        ConnectionSettingsDialog dialog;
        QCOMPARE(fieldText(&dialog, "rootUrlLineEdit"), QString());
        QCOMPARE(dialog.windowTitle(), QString("Настройки соединения"));
    }

    void okStoresTheTextAsTyped()
    {
        ConnectionSettingsDialog dialog;
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            fillIn(d, "rootUrlLineEdit", " http://server:8080/api ");
            press(d, QDialogButtonBox::Ok);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(stored().toString(), QString(" http://server:8080/api "));

        // The value is on disk at once: a fresh store reads it.
        QSettings fresh;
        QCOMPARE(fresh.value("connection/root_url").toString(), QString(" http://server:8080/api "));

        // A new dialog shows the stored root.
        ConnectionSettingsDialog again;
        QCOMPARE(fieldText(&again, "rootUrlLineEdit"), QString(" http://server:8080/api "));
    }

    void okWithAnEmptyFieldStoresAnEmptyString()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://old/");
        ConnectionSettingsDialog dialog;
        dialog.findChild<QLineEdit *>("rootUrlLineEdit")->clear();
        press(&dialog, QDialogButtonBox::Ok);
        QVERIFY(stored().isValid());
        QCOMPARE(stored().toString(), QString());
    }

    void cancelStoresNothingButKeepsTheText()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://old/");
        ConnectionSettingsDialog dialog;
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            fillIn(d, "rootUrlLineEdit", "http://typed/");
            press(d, QDialogButtonBox::Cancel);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(stored().toString(), QString("http://old/"));
        // Shown again, the same dialog still holds what was typed.
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            QCOMPARE(fieldText(d, "rootUrlLineEdit"), QString("http://typed/"));
            d->reject();
        });
        dialog.exec();
    }
};

LOMI_TEST_CLASS(ConnectionSettingsTest)

#include "tst_connectionsettings.moc"
