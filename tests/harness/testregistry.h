#pragma once

#include <QObject>

#include <functional>

// Every test area is one executable; its files register their QtTest classes
// here and the shared main() runs them all, each on a fresh instance.
namespace TestHarness {

using TestFactory = std::function<QObject *()>;

int registerTest(const char *name, TestFactory factory);
int runRegisteredTests(int argc, char **argv);

}  // namespace TestHarness

#define LOMI_TEST_CLASS(Class)                                                                 \
    static const int lomiTestRegistration_##Class =                                            \
        TestHarness::registerTest(#Class, [] { return static_cast<QObject *>(new Class); });
