#include "testregistry.h"

int main(int argc, char **argv)
{
    return TestHarness::runRegisteredTests(argc, argv);
}
