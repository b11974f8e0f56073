#include "testregistry.h"

#include "connectionsettingsdialog.h"
#include "modalhandler.h"
#include "settingsmanager.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

class ConnectionSettingsTest : public QObject
{
    Q_OBJECT

    static QVariant stored() { return SettingsManager::instance()->getValue("connection/root_url"); }

private slots:
    void init() { SettingsManager::instance()->remove("connection/root_url"); }

    void noRootStoredReadsAsInvalid()
    {
        QVERIFY(!stored().isValid());
        ConnectionSettingsDialog dialog;
        QCOMPARE(dialog.findChild<QLineEdit *>("rootUrlLineEdit")->text(), QString());
        QCOMPARE(dialog.windowTitle(), QString("Настройки соединения"));
    }

    void okStoresTheTextAsTyped()
    {
        ConnectionSettingsDialog dialog;
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            d->findChild<QLineEdit *>("rootUrlLineEdit")->setText(" http://server:8080/api ");
            d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(stored().toString(), QString(" http://server:8080/api "));

        // The value is on disk at once: a fresh store reads it.
        QSettings fresh;
        QCOMPARE(fresh.value("connection/root_url").toString(), QString(" http://server:8080/api "));

        // A new dialog shows the stored root.
        ConnectionSettingsDialog again;
        QCOMPARE(again.findChild<QLineEdit *>("rootUrlLineEdit")->text(),
                 QString(" http://server:8080/api "));
    }

    void okWithAnEmptyFieldStoresAnEmptyString()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://old/");
        ConnectionSettingsDialog dialog;
        dialog.findChild<QLineEdit *>("rootUrlLineEdit")->clear();
        dialog.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QVERIFY(stored().isValid());
        QCOMPARE(stored().toString(), QString());
    }

    void cancelStoresNothingButKeepsTheText()
    {
        SettingsManager::instance()->setValue("connection/root_url", "http://old/");
        ConnectionSettingsDialog dialog;
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            d->findChild<QLineEdit *>("rootUrlLineEdit")->setText("http://typed/");
            d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(stored().toString(), QString("http://old/"));
        // Shown again, the same dialog still holds what was typed.
        ModalHandler::onNextDialog<ConnectionSettingsDialog>([](ConnectionSettingsDialog *d) {
            QCOMPARE(d->findChild<QLineEdit *>("rootUrlLineEdit")->text(), QString("http://typed/"));
            d->reject();
        });
        dialog.exec();
        QCOMPARE(ModalHandler::pending(), 0);
    }
};

LOMI_TEST_CLASS(ConnectionSettingsTest)

#include "tst_connectionsettings.moc"
