#include "testregistry.h"

#include "clock.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "modalhandler.h"
#include "networkmanagerwrapper.h"
#include "permissionmanager.h"
#include "resources.h"
#include "settingsmanager.h"

#include <QApplication>
#include <QLocale>
#include <QMap>
#include <QMetaMethod>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include <cstdio>
#include <memory>
#include <vector>

namespace TestHarness {

namespace {

struct Entry
{
    const QMetaObject *metaObject;
    TestFactory factory;
    QByteArray name() const { return metaObject->className(); }
};

QVector<Entry> &registry()
{
    static QVector<Entry> entries;
    return entries;
}

// QtTest's options that take the next argument as their value.
const QByteArrayList valueOptions = {"-o",           "-eventdelay",   "-keydelay",
                                     "-mousedelay",  "-maxwarnings",  "-perfcounter",
                                     "-minimumvalue", "-minimumtotal", "-iterations", "-median"};

// The slots QtTest runs as test functions.
QByteArrayList testFunctions(const QMetaObject *metaObject)
{
    QByteArrayList names;
    for (int i = 0; i < metaObject->methodCount(); ++i) {
        const QMetaMethod method = metaObject->method(i);
        const QByteArray name = method.name();
        if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private
            && method.parameterCount() == 0 && !name.endsWith("_data") && name != "init"
            && name != "cleanup" && name != "initTestCase" && name != "cleanupTestCase")
            names << name;
    }
    return names;
}

// The classes to run, by registry index, each with the functions to hand
// it; an empty list runs the whole class. False when a name matches nothing.
bool plan(const QByteArrayList &names, QMap<int, QByteArrayList> *plan)
{
    QList<int> whole;
    for (const QByteArray &name : names) {
        const int scope = name.indexOf("::");
        const QByteArray className = scope < 0 ? QByteArray() : name.left(scope);
        const QByteArray function = QByteArray(scope < 0 ? name : name.mid(scope + 2)).replace("()", "");
        bool matched = false;
        for (int i = 0; i < registry().size(); ++i) {
            const QByteArray entry = registry().at(i).name();
            if (scope < 0 && name == entry) {
                whole << i;
                matched = true;
            } else if ((className.isEmpty() || className == entry)
                       && testFunctions(registry().at(i).metaObject).contains(function.split(':').first())) {
                (*plan)[i] << function;
                matched = true;
            }
        }
        if (!matched) {
            std::fprintf(stderr, "No test class is named '%s' or has a test function of that name.\n",
                         name.constData());
            return false;
        }
    }
    for (int i = 0; i < registry().size(); ++i) {
        if (names.isEmpty() || whole.contains(i))
            (*plan)[i].clear();
    }
    return true;
}

// "results.xml,junitxml" for class Foo: "results-Foo.xml,junitxml".
QByteArray perClass(const QByteArray &output, const QByteArray &className)
{
    const QByteArray file = output.split(',').first();
    if (file == "-")
        return output;
    int dot = file.lastIndexOf('.');
    if (dot <= file.lastIndexOf('/') + 1)
        dot = file.size();
    return file.left(dot) + '-' + className + output.mid(dot);
}

// What a test class may change for the whole process. Each class starts
// from the state the first one found.
struct ProcessState
{
    int transferTimeout = NetworkManagerWrapper::transferTimeout();
    QMap<QString, int> permissions = PermissionManager::instance()->getPermissions();
    QVariant rootUrl = SettingsManager::instance()->getValue("connection/root_url");

    void restore() const
    {
        // A box or file dialog a test did not expect must never block the run.
        GuiTestBase::resetSeams(true);
        NetworkManagerWrapper::setTransferTimeoutForTesting(transferTimeout);
        LoginManager::instance()->resetForTesting();
        Clock::setNow({});
        PermissionManager::instance()->setPermissions(permissions);
        if (rootUrl.isValid())
            SettingsManager::instance()->setValue("connection/root_url", rootUrl);
        else
            SettingsManager::instance()->remove("connection/root_url");
    }
};

// `options` are QtTest's, but for the output files, the function list and the names.
int run(const Entry &entry, QByteArrayList options, const QByteArrayList &outputs,
        const QByteArrayList &functions, bool severalClasses)
{
    // A slot named init() or cleanup() would hide the base's checks.
    const QMetaObject &base = GuiTestBase::staticMetaObject;
    if (entry.metaObject->inherits(&base)
        && (entry.metaObject->indexOfMethod("init()") >= base.methodCount()
            || entry.metaObject->indexOfMethod("cleanup()") >= base.methodCount())) {
        std::fprintf(stderr, "%s: override initTest() or cleanupTest() instead of init() or cleanup().\n",
                     entry.name().constData());
        return 1;
    }
    for (const QByteArray &output : outputs)
        options << "-o" << (severalClasses ? perClass(output, entry.name()) : output);
    options << functions;
    std::vector<char *> argv;
    for (QByteArray &option : options)
        argv.push_back(option.data());
    std::unique_ptr<QObject> test(entry.factory());
    return QTest::qExec(test.get(), int(argv.size()), argv.data());
}

}  // namespace

int registerTest(const QMetaObject *metaObject, TestFactory factory)
{
    registry().append({metaObject, std::move(factory)});
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
    // A desktop's theme could answer a file dialog with a native window that
    // the modal handler never sees.
    qunsetenv("QT_QPA_PLATFORMTHEME");

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
    ModalHandler::install();

    // QApplication has taken its own options out of argv by now.
    QByteArrayList options{argv[0]}, outputs, names;
    bool listFunctions = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool valued = valueOptions.contains(arg) && i + 1 < argc;
        if (arg == "-functions")
            listFunctions = true;
        else if (arg == "-o" && valued)
            outputs << argv[++i];
        else if (arg.startsWith('-'))
            options << arg << (valued ? QByteArrayList{argv[++i]} : QByteArrayList());
        else
            names << arg;
    }
    QMap<int, QByteArrayList> classes;
    if (!plan(names, &classes))
        return 1;

    if (listFunctions) {
        for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
            const Entry &entry = registry().at(it.key());
            for (const QByteArray &function : testFunctions(entry.metaObject))
                std::printf("%s::%s()\n", entry.name().constData(), function.constData());
        }
        return 0;
    }

    const ProcessState initial;
    initial.restore();
    int failures = 0;
    for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
        failures += run(registry().at(it.key()), options, outputs, it.value(), classes.size() > 1);
        initial.restore();
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace TestHarness
