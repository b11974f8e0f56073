#include "permissionmanager.h"

PermissionManager *PermissionManager::_instance = nullptr;

PermissionManager *PermissionManager::instance()
{
    if (!_instance)
        _instance = new PermissionManager();
    return _instance;
}

void PermissionManager::setPermissions(const QMap<QString, int> &newPermissions)
{
    permissions = newPermissions;
    emit permissionsUpdated();
}

QMap<QString, int> PermissionManager::getPermissions() const
{
    return permissions;
}

int PermissionManager::getPermission(const QString &node) const
{
    return permissions.value(node, 0);
}

bool PermissionManager::checkPermission(const QString &node, int mask) const
{
    if (node.isEmpty())
        return true;
    return (getPermission(node) & mask) == mask;
}

bool PermissionManager::canRead(const QString &node) const
{
    return checkPermission(node, Read);
}

bool PermissionManager::canWrite(const QString &node) const
{
    return checkPermission(node, Write);
}
