#include "unimplemented.h"

#include "messagebox.h"

#include <cstdlib>

void unimplementedFunctionCalled(const QString &signature)
{
    MessageBox::critical(nullptr, QStringLiteral("Error"),
                         QStringLiteral("Unimplemented function called: %1").arg(signature),
                         QMessageBox::Ok);
    std::exit(EXIT_FAILURE);
}
