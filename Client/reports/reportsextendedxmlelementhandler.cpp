#include "reportsextendedxmlelementhandler.h"

#include <textelement.h>

#include <QDateTime>
#include <QDomElement>

bool ReportsExtendedXmlElementHandler::textElement(ReportEngine::TextElement &element,
                                                   QDomElement &domElement)
{
    if (domElement.attribute(QStringLiteral("dateOnly"), QStringLiteral("false"))
        == QLatin1String("true"))
        element.setText(dateOnly(element.text()));
    return true;
}

QString ReportsExtendedXmlElementHandler::dateOnly(const QString &text)
{
    QDateTime moment = QDateTime::fromString(text, QStringLiteral("dd.MM.yyyy HH:mm"));
    // The server's own dates arrive as ISO 8601 text; a template fed from
    // its records must print them too.
    if (!moment.isValid())
        moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    return moment.isValid() ? moment.date().toString(QStringLiteral("dd.MM.yyyy")) : QString();
}
