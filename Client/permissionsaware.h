#pragma once

#include <QString>

// Second base of the windows that a permission node guards. The empty node
// means the window needs no permission.
class PermissionsAware
{
public:
    virtual ~PermissionsAware() = default;

    QString getPermissionNode() const { return permissionNode; }
    void setPermissionNode(const QString &node) { permissionNode = node; }

private:
    QString permissionNode;
};
