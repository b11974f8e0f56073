#include "testregistry.h"

#include "filedialog.h"
#include "messagebox.h"
#include "modalhandler.h"
#include "resources.h"

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include <memory>

namespace TestHarness {

namespace {

struct Entry
{
    const char *name;
    TestFactory factory;
};

QVector<Entry> &registry()
{
    static QVector<Entry> entries;
    return entries;
}

}  // namespace

int registerTest(const char *name, TestFactory factory)
{
    registry().append({name, std::move(factory)});
    return registry().size();
}

int runRegisteredTests(int argc, char **argv)
{
    // Offscreen wants a private runtime directory; never touch the user's.
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtimeDir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Settings go to the test-mode locations, never to a real user's store,
    // and each test process gets its own: test areas run in parallel, each
    // pointing "connection/root_url" at its own stand-in server.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settingsDir;
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(format, QSettings::SystemScope, settingsDir.filePath("system"));
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName("LOMIInfr");
    QApplication::setApplicationName("LOMI");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    initClientResources();

    // A box or file dialog a test did not expect must never block the run.
    MessageBox::setAnswerUnqueued(true);
    FileDialog::setAnswerUnqueued(true);
    ModalHandler::install();

    int failures = 0;
    for (const Entry &entry : registry()) {
        std::unique_ptr<QObject> test(entry.factory());
        failures += QTest::qExec(test.get(), argc, argv);
        MessageBox::reset();
        FileDialog::reset();
        ModalHandler::reset();
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace TestHarness
