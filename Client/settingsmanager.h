#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

// The application's settings store (the server root, "connection/root_url").
// Lives in the registry key of the organisation and application on Windows,
// in the per-user settings file of the same names elsewhere.
class SettingsManager : public QSettings
{
    Q_OBJECT

public:
    static SettingsManager *instance();

    QVariant getValue(const QString &key) const;
    // Stores and syncs at once, so the value is on disk when the call returns.
    void setValue(const QString &key, const QVariant &value);

private:
    SettingsManager();
    static SettingsManager *_instance;
};
