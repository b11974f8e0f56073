#include "connectionsettingsdialog.h"
#include "mainwindow.h"
#include "resources.h"
#include "settingsmanager.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("LOMIInfr"));
    QApplication::setApplicationName(QStringLiteral("LOMI"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    initClientResources();

    // Without a server root nothing can be reached; ask once, then go on
    // whatever the user did.
    if (SettingsManager::instance()->getValue("connection/root_url").toString().isEmpty()) {
        ConnectionSettingsDialog dialog(nullptr);
        dialog.exec();
    }

    MainWindow window(nullptr);
    window.relogin();
    return app.exec();
}
