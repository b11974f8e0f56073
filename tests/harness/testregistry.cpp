#include "testregistry.h"

#include "filedialog.h"
#include "guitestbase.h"
#include "loginmanager.h"
#include "messagebox.h"
#include "modalhandler.h"
#include "networkmanagerwrapper.h"
#include "permissionmanager.h"
#include "resources.h"
#include "settingsmanager.h"

#include <previewdialog.h>

#include <QApplication>
#include <QLocale>
#include <QMap>
#include <QMetaMethod>
#include <QProcess>
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
    QByteArray name;
    const QMetaObject *metaObject;
    TestFactory factory;
};

QVector<Entry> &registry()
{
    static QVector<Entry> entries;
    return entries;
}

// QtTest's options that take the next argument as their value.
const QByteArrayList valueOptions = {"-eventdelay",   "-keydelay",     "-mousedelay",
                                     "-maxwarnings",  "-perfcounter",  "-minimumvalue",
                                     "-minimumtotal", "-iterations",   "-median"};

struct CommandLine
{
    QByteArrayList options;  // handed to every class as they are
    QByteArrayList outputs;  // the values of -o
    QByteArrayList names;    // classes and test functions
    bool listFunctions = false;
    bool listDataTags = false;
};

CommandLine parse(int argc, char **argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "-functions") {
            line.listFunctions = true;
        } else if (arg == "-datatags") {
            line.listDataTags = true;
        } else if (arg == "-o" && i + 1 < argc) {
            line.outputs << argv[++i];
        } else if (arg.startsWith('-')) {
            line.options << arg;
            if (valueOptions.contains(arg) && i + 1 < argc)
                line.options << argv[++i];
        } else {
            line.names << arg;
        }
    }
    return line;
}

// A slot that QtTest runs as a test function.
bool isTestFunction(const QMetaMethod &method)
{
    const QByteArray name = method.name();
    return method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private
           && method.parameterCount() == 0 && method.returnType() == QMetaType::Void
           && !name.endsWith("_data") && name != "init" && name != "cleanup"
           && name != "initTestCase" && name != "cleanupTestCase";
}

QByteArrayList testFunctions(const QMetaObject *metaObject)
{
    QByteArrayList names;
    for (int i = 0; i < metaObject->methodCount(); ++i) {
        if (isTestFunction(metaObject->method(i)))
            names << metaObject->method(i).name();
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
        const QByteArray bare = function.split(':').first();
        bool matched = false;
        for (int i = 0; i < registry().size(); ++i) {
            const Entry &entry = registry().at(i);
            if (scope < 0 && name == entry.name) {
                whole << i;
                (*plan)[i];
                matched = true;
            } else if ((className.isEmpty() || className == entry.name)
                       && testFunctions(entry.metaObject).contains(bare)) {
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
        MessageBox::reset();
        MessageBox::setAnswerUnqueued(true);
        FileDialog::reset();
        FileDialog::setAnswerUnqueued(true);
        ModalHandler::reset();
        ReportEngine::PreviewDialog::reset();
        NetworkManagerWrapper::setTransferTimeoutForTesting(transferTimeout);
        LoginManager::instance()->resetForTesting();
        PermissionManager::instance()->setPermissions(permissions);
        if (rootUrl.isValid())
            SettingsManager::instance()->setValue("connection/root_url", rootUrl);
        else
            SettingsManager::instance()->remove("connection/root_url");
    }
};

// A class on the GUI test base that declares its own init() or cleanup()
// hides the base's, and with it the check for unanswered dialogs.
bool hidesTheBase(const Entry &entry)
{
    const QMetaObject &base = GuiTestBase::staticMetaObject;
    if (!entry.metaObject->inherits(&base))
        return false;
    for (const char *slot : {"init()", "cleanup()"}) {
        if (entry.metaObject->indexOfMethod(slot) >= base.methodCount()) {
            std::fprintf(stderr, "%s declares %s; override initTest() or cleanupTest() instead.\n",
                         entry.name.constData(), slot);
            return true;
        }
    }
    return false;
}

int run(const Entry &entry, const CommandLine &line, const QByteArrayList &functions,
        bool severalClasses, const char *program)
{
    if (hidesTheBase(entry))
        return 1;
    QByteArrayList args{program};
    args << line.options;
    for (const QByteArray &output : line.outputs)
        args << "-o" << (severalClasses ? perClass(output, entry.name) : output);
    if (line.listDataTags)
        args << "-datatags";
    args << functions;
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    std::unique_ptr<QObject> test(entry.factory());
    return QTest::qExec(test.get(), int(argv.size()), argv.data());
}

}  // namespace

int registerTest(const char *name, const QMetaObject *metaObject, TestFactory factory)
{
    registry().append({name, metaObject, std::move(factory)});
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
    const CommandLine line = parse(argc, argv);
    QMap<int, QByteArrayList> classes;
    if (!plan(line.names, &classes))
        return 1;

    if (line.listFunctions) {
        for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
            const Entry &entry = registry().at(it.key());
            for (const QByteArray &function : testFunctions(entry.metaObject))
                std::printf("%s::%s()\n", entry.name.constData(), function.constData());
        }
        return 0;
    }
    // QtTest lists the data tags and ends the process: one child per class.
    if (line.listDataTags && classes.size() > 1) {
        int failures = 0;
        for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
            const QString name = QString::fromLatin1(registry().at(it.key()).name);
            failures += QProcess::execute(QCoreApplication::applicationFilePath(),
                                          {name, QStringLiteral("-datatags")}) != 0;
        }
        return failures == 0 ? 0 : 1;
    }

    const ProcessState initial;
    initial.restore();
    int failures = 0;
    for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
        failures += run(registry().at(it.key()), line, it.value(), classes.size() > 1, argv[0]);
        initial.restore();
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace TestHarness
