#include "settingsmanager.h"

SettingsManager *SettingsManager::_instance = nullptr;

SettingsManager::SettingsManager()
    : QSettings()
{
}

SettingsManager *SettingsManager::instance()
{
    if (!_instance)
        _instance = new SettingsManager();
    return _instance;
}

QVariant SettingsManager::getValue(const QString &key) const
{
    return QSettings::value(key);
}

void SettingsManager::setValue(const QString &key, const QVariant &value)
{
    QSettings::setValue(key, value);
    sync();
}
