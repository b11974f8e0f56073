#pragma once

#include <QLoggingCategory>

// Server replies and fetched documents in full. They carry persons' names
// and tax numbers and can be large, so the category is off unless
// QT_LOGGING_RULES="lomi.network.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lomiNetwork)
