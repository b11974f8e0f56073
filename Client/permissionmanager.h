#pragma once

#include <QMap>
#include <QObject>
#include <QString>

// The signed-in user's rights: a bit mask per permission node (1 read, 2 write).
// An empty node guards nothing and is always allowed.
class PermissionManager : public QObject
{
    Q_OBJECT

public:
    enum Bits { Read = 1, Write = 2 };

    static PermissionManager *instance();

    void setPermissions(const QMap<QString, int> &permissions);
    QMap<QString, int> getPermissions() const;
    int getPermission(const QString &node) const;

    bool checkPermission(const QString &node, int mask) const;
    bool canRead(const QString &node) const;
    bool canWrite(const QString &node) const;

signals:
    void permissionsUpdated();

private:
    PermissionManager() = default;

    QMap<QString, int> permissions;
    static PermissionManager *_instance;
};
