#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

// Server replies and fetched documents in full. They carry persons' names
// and tax numbers and can be large, so the category is off unless
// QT_LOGGING_RULES="lomi.network.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lomiNetwork)

namespace NetworkLog {
// `document` as the debug log shows it: every "password" value, at any
// depth, replaced by asterisks (the users list carries them in clear).
QJsonDocument masked(const QJsonDocument &document);
QJsonObject masked(const QJsonObject &object);
}  // namespace NetworkLog
