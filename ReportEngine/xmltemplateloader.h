#pragma once

#include "errordetails.h"
#include "placedelement.h"

#include <QDomDocument>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QXmlStreamReader>

#include <functional>
#include <optional>

class QAbstractItemModel;
class QIODevice;

namespace ReportEngine {

class AbstractTableElement;
class Element;
class TableElement;
class XmlElementHandler;

// What one template holds, ready to be added to a report.
struct TemplateContent
{
    bool hasHeader = false;
    QList<PlacedElement> header;
    QList<PlacedElement> body;
    QString fontFamily;
    qreal pointSize = 0;
    std::optional<qreal> marginTop;
    std::optional<qreal> marginLeft;
    std::optional<qreal> marginBottom;
    std::optional<qreal> marginRight;
};

// Reads a report template into elements. Texts take their values from the
// associated text values and models while the template is read; the models
// are not kept. Internal to the engine.
class XmlTemplateLoader
{
public:
    XmlTemplateLoader(const QHash<QString, QPointer<QAbstractItemModel>> &models,
                      const QHash<QString, QString> &textValues, XmlElementHandler *handler);

    // False on a syntax error or an element the vocabulary does not know;
    // error() tells what and where. Nothing is returned in part.
    bool load(QIODevice *device, TemplateContent *content);
    ErrorDetails error() const;

private:
    using Sink = std::function<void(const Element &element, Qt::Alignment alignment,
                                    bool isInline)>;
    static Sink appendTo(QList<PlacedElement> &list);

    bool nextChild();
    bool readRoot(TemplateContent *content);
    bool readFlow(const Sink &sink, const QString &fontFamily, TemplateContent *headerTarget);
    bool readText(const Sink &sink, const QString &fontFamily);
    bool readTable(const Sink &sink, const QString &fontFamily);
    bool readAutoTable(const Sink &sink, QDomElement &xml);
    bool readTableAttributes(AbstractTableElement &table);
    bool readCell(TableElement &table, const QString &fontFamily);
    bool readVSpace(const Sink &sink);
    bool readHLine(const Sink &sink);
    bool readHeader(TemplateContent *content);
    bool expectNoChildren();

    QDomElement currentAsDom();
    QString modelText(const QXmlStreamAttributes &attributes) const;
    bool readNumber(QLatin1String name, qreal limit, std::optional<qreal> *value);
    bool readAlignment(Qt::Alignment *alignment);
    bool failHere(const QString &message);
    bool failFromReader();

    const QHash<QString, QPointer<QAbstractItemModel>> &m_models;
    const QHash<QString, QString> &m_textValues;
    XmlElementHandler *m_handler;

    QXmlStreamReader m_reader;
    QDomDocument m_scratch;
    ErrorDetails m_error;
    int m_tableDepth = 0;
};

}  // namespace ReportEngine
