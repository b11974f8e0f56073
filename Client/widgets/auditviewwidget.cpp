#include "auditviewwidget.h"

#include "datetimeitemdelegate.h"

AuditViewWidget::AuditViewWidget(QWidget *parent)
    : SimpleViewWidget(parent)
{
    setWindowTitle(QStringLiteral("Журнал аудита"));
    setEndpoint(QStringLiteral("audit"));
    setFeatures(Features());
    setHeaders({{QStringLiteral("Дата"), QStringLiteral("when")},
                {QStringLiteral("Пользователь"), QStringLiteral("user")},
                {QStringLiteral("Где"), QStringLiteral("where")},
                {QStringLiteral("Что"), QStringLiteral("what")}});
    setPermissionNode(QStringLiteral("audit"));
    setDelegateForColumn(0, new DateTimeItemDelegate(this, false));
    // ISO texts sort as the moments they name.
    sort(0, Qt::DescendingOrder);
}
