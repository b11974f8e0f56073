#include "documentparts.h"

#include "global.h"
#include "reportreply.h"

#include <report.h>
#include <textelement.h>

namespace DocumentParts {

namespace {
const QString family = QStringLiteral("Times new roman");
}

void setUpPage(ReportEngine::Report &report)
{
    report.setMargins(10, 10, 10, 10);
    report.setDefaultFont(QFont(family, 10, QFont::Normal, false));
}

ReportEngine::TextElement text(const QString &text, int unused, qreal pointSize)
{
    ReportEngine::TextElement element(text, unused);
    element.setFont(QFont(family, int(pointSize)));
    return element;
}

QJsonObject organization(NetworkManagerWrapper &manager)
{
    return ReportReply::fetch(manager, QStringLiteral("/globals/OrganizationInfo"))
        .object()
        .value(QStringLiteral("value"))
        .toObject();
}

QList<ReportEngine::TextElement> header(const QJsonObject &organization)
{
    return {text(textAt(organization, "name"), 1, 8), text(textAt(organization, "address"), 2, 8),
            text(textAt(organization, "extraAddress"), 2, 8)};
}

QString textAt(const QJsonObject &record, const QString &key)
{
    return Global::traverseJson(record, key).toString();
}

double numberAt(const QJsonObject &record, const QString &key)
{
    return Global::traverseJson(record, key).toDouble();
}

}  // namespace DocumentParts
