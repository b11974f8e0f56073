#include "resources.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    initClientResources();
    return 0;
}
