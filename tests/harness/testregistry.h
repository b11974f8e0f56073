#pragma once

#include <QObject>

#include <functional>

// Every test area is one executable; its files register their QtTest classes
// here and the shared main() runs them, each on a fresh instance.
//
// The command line is QtTest's, spread over the classes:
//     tst_views                                   every class
//     tst_views SimpleViewWidgetTest              one class
//     tst_views deleteAsksFirst                   every class that has this function
//     tst_views SimpleViewWidgetTest::deleteAsksFirst   (function:tag for one row)
//     tst_views -functions                        Class::function() of every class
//     tst_views SimpleViewWidgetTest -datatags    (QtTest lists one class's tags only)
// A name that no class has fails the run before anything starts. With more
// than one class to run, each "-o file[,format]" becomes one file per class,
// the class name inserted before the suffix (results-SimpleViewWidgetTest.xml).
//
// Between classes the process-wide state goes back to what it was at start:
// the seams' queues, the transfer time-out, the signed-in user, the
// permissions and the stored server root.
namespace TestHarness {

using TestFactory = std::function<QObject *()>;

int registerTest(const QMetaObject *metaObject, TestFactory factory);
int runRegisteredTests(int argc, char **argv);

}  // namespace TestHarness

#define LOMI_TEST_CLASS(Class)                                                                 \
    static const int lomiTestRegistration_##Class = TestHarness::registerTest(                 \
        &Class::staticMetaObject, [] { return static_cast<QObject *>(new Class); });
