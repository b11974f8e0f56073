#include "xmltemplateloader.h"

#include "autotableelement.h"
#include "hlineelement.h"
#include "spacerelement.h"
#include "tableelement.h"
#include "textelement.h"
#include "xmlelementhandler.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QIODevice>

#include <limits>

namespace ReportEngine {

namespace {

// Beyond these a template is taken to be broken rather than to describe a
// form: a printed form has a few dozen rows and a handful of columns, and
// each level of nesting costs the reader and the layout a level of
// recursion.
constexpr int MaxTemplateRows = 1000;
constexpr int MaxTemplateColumns = 100;
constexpr int MaxTableDepth = 16;
constexpr qreal MaxLengthMm = 1000;
constexpr qreal MaxPointSize = 1000;
constexpr qreal NoLimit = std::numeric_limits<qreal>::max();

bool isTrue(QStringView value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
        || value == QLatin1String("1");
}

bool isFalse(QStringView value)
{
    return value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0
        || value == QLatin1String("0");
}

// A value that is no number at all is ignored, as it always was; one that
// is not finite (or beyond its limit) is refused by readNumber().
std::optional<qreal> number(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    if (!attributes.hasAttribute(name))
        return std::nullopt;
    QString text = attributes.value(name).toString().trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    bool ok = false;
    const qreal value = text.trimmed().toDouble(&ok);
    // toDouble() reads "inf" and "nan" and turns an overflow into an infinity
    // it reports as a failure: all of them are numbers, and none is finite.
    if (!ok && !qIsInf(value))
        return std::nullopt;
    return value;
}

}  // namespace

XmlTemplateLoader::XmlTemplateLoader(const QHash<QString, QPointer<QAbstractItemModel>> &models,
                                     const QHash<QString, QString> &textValues,
                                     XmlElementHandler *handler)
    : m_models(models)
    , m_textValues(textValues)
    , m_handler(handler)
{
}

ErrorDetails XmlTemplateLoader::error() const
{
    return m_error;
}

// Positions are where the reader stands: just after the offending start tag,
// or where the syntax error was found. Columns are counted from 1.
bool XmlTemplateLoader::failHere(const QString &message)
{
    m_error = ErrorDetails(message, int(m_reader.lineNumber()), int(m_reader.columnNumber()) + 1);
    return false;
}

bool XmlTemplateLoader::failFromReader()
{
    return failHere(m_reader.errorString());
}

// An infinite margin or padding hangs the layout, and a huge one makes it
// lay out millions of pages.
bool XmlTemplateLoader::readNumber(QLatin1String name, qreal limit, std::optional<qreal> *value)
{
    *value = number(m_reader.attributes(), name);
    if (*value && !(qAbs(**value) <= limit))  // NaN fails the comparison too
        return failHere(QStringLiteral("Недопустимое значение «%1» атрибута «%2»")
                                .arg(m_reader.attributes().value(name), name));
    return true;
}

bool XmlTemplateLoader::readAlignment(Qt::Alignment *alignment)
{
    const QStringView value = m_reader.attributes().value(QLatin1String("alignment"));
    if (value.isEmpty() || value == QLatin1String("left"))
        *alignment = Qt::AlignLeft;
    else if (value == QLatin1String("right"))
        *alignment = Qt::AlignRight;
    else if (value == QLatin1String("hcenter") || value == QLatin1String("center"))
        *alignment = Qt::AlignHCenter;
    else if (value == QLatin1String("justify"))
        *alignment = Qt::AlignJustify;
    else
        return failHere(QStringLiteral("Неизвестное выравнивание «%1»").arg(value));
    return true;
}

// Moves to the next child element of the current one; false at the end of
// the current element or on an error.
bool XmlTemplateLoader::nextChild()
{
    for (;;) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;  // text between elements, comments, processing instructions
        }
    }
}

bool XmlTemplateLoader::load(QIODevice *device, TemplateContent *content)
{
    m_error = ErrorDetails();
    m_tableDepth = 0;
    if (!device) {
        m_error = ErrorDetails(QStringLiteral("Нет источника шаблона"), 0, 0);
        return false;
    }
    m_reader.setDevice(device);

    if (!nextChild())
        return failFromReader();
    if (m_reader.name() != QLatin1String("report"))
        return failHere(QStringLiteral("Корневой элемент шаблона должен быть «report», а не «%1»")
                                .arg(m_reader.name()));

    TemplateContent loaded;
    if (!readRoot(&loaded))
        return false;
    // Whatever follows the root must still be well-formed.
    while (!m_reader.atEnd())
        m_reader.readNext();
    if (m_reader.hasError())
        return failFromReader();

    *content = std::move(loaded);
    return true;
}

bool XmlTemplateLoader::readRoot(TemplateContent *content)
{
    content->fontFamily = m_reader.attributes().value(QLatin1String("font")).toString();
    std::optional<qreal> pointSize;
    if (!readNumber(QLatin1String("pointsize"), MaxPointSize, &pointSize)
        || !readNumber(QLatin1String("margin-top"), MaxLengthMm, &content->marginTop)
        || !readNumber(QLatin1String("margin-left"), MaxLengthMm, &content->marginLeft)
        || !readNumber(QLatin1String("margin-bottom"), MaxLengthMm, &content->marginBottom)
        || !readNumber(QLatin1String("margin-right"), MaxLengthMm, &content->marginRight))
        return false;
    content->pointSize = pointSize.value_or(0);

    return readFlow(appendTo(content->body), QString(), content);
}

XmlTemplateLoader::Sink XmlTemplateLoader::appendTo(QList<PlacedElement> &list)
{
    return [&list](const Element &element, Qt::Alignment alignment, bool isInline) {
        list.append({std::shared_ptr<const Element>(element.clone()), alignment, QBrush(),
                     isInline});
    };
}

bool XmlTemplateLoader::readFlow(const Sink &sink, const QString &fontFamily,
                                 TemplateContent *headerTarget)
{
    while (nextChild()) {
        const QStringView name = m_reader.name();
        bool ok;
        if (name == QLatin1String("text"))
            ok = readText(sink, fontFamily);
        else if (name == QLatin1String("table"))
            ok = readTable(sink, fontFamily);
        else if (name == QLatin1String("vspace"))
            ok = readVSpace(sink);
        else if (name == QLatin1String("hline"))
            ok = readHLine(sink);
        else if (name == QLatin1String("header") && headerTarget)
            ok = readHeader(headerTarget);
        else
            return failHere(QStringLiteral("Неизвестный элемент «%1»").arg(name));
        if (!ok)
            return false;
    }
    return m_reader.hasError() ? failFromReader() : true;
}

bool XmlTemplateLoader::expectNoChildren()
{
    if (nextChild())
        return failHere(QStringLiteral("Неизвестный элемент «%1»").arg(m_reader.name()));
    return m_reader.hasError() ? failFromReader() : true;
}

QDomElement XmlTemplateLoader::currentAsDom()
{
    QDomElement element = m_reader.namespaceUri().isEmpty()
            ? m_scratch.createElement(m_reader.qualifiedName().toString())
            : m_scratch.createElementNS(m_reader.namespaceUri().toString(),
                                        m_reader.qualifiedName().toString());
    const QXmlStreamAttributes attributes = m_reader.attributes();
    for (const QXmlStreamAttribute &attribute : attributes)
        element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
    return element;
}

namespace {

// The "row" and "column" attributes (0 when absent); false when one is not a number.
bool readPosition(const QXmlStreamAttributes &attributes, int *row, int *column)
{
    bool rowOk = true;
    bool columnOk = true;
    *row = attributes.hasAttribute(QLatin1String("row"))
            ? attributes.value(QLatin1String("row")).toInt(&rowOk)
            : 0;
    *column = attributes.hasAttribute(QLatin1String("column"))
            ? attributes.value(QLatin1String("column")).toInt(&columnOk)
            : 0;
    return rowOk && columnOk;
}

}  // namespace

QString XmlTemplateLoader::modelText(const QXmlStreamAttributes &attributes) const
{
    const QAbstractItemModel *model =
            m_models.value(attributes.value(QLatin1String("model")).toString()).data();
    if (!model)
        return QString();
    int row = 0;
    int column = 0;
    if (!readPosition(attributes, &row, &column))
        return QString();
    const QModelIndex index = model->index(row, column);
    return index.isValid() ? model->data(index).toString() : QString();
}

bool XmlTemplateLoader::readText(const Sink &sink, const QString &fontFamily)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    Qt::Alignment alignment;
    std::optional<qreal> size;
    if (!readAlignment(&alignment) || !readNumber(QLatin1String("pointsize"), MaxPointSize, &size))
        return false;
    QDomElement xml = currentAsDom();

    const QString written = m_reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (m_reader.hasError())
        return failFromReader();
    if (!written.isEmpty())
        xml.appendChild(m_scratch.createTextNode(written));

    TextElement text(written);
    const QString id = attributes.value(QLatin1String("id")).toString();
    if (!id.isEmpty()) {
        text.setId(id);
        const auto value = m_textValues.constFind(id);
        if (value != m_textValues.constEnd())
            text.setText(*value);
    } else if (attributes.hasAttribute(QLatin1String("model"))) {
        text.setText(modelText(attributes));
    }

    if (!fontFamily.isEmpty()) {
        QFont font;
        font.setFamilies({fontFamily});
        text.setFont(font);
    }
    const QStringView bold = attributes.value(QLatin1String("bold"));
    if (isTrue(bold))
        text.setBold(true);
    else if (isFalse(bold))
        text.setBold(false);
    const QStringView italic = attributes.value(QLatin1String("italic"));
    if (isTrue(italic))
        text.setItalic(true);
    else if (isFalse(italic))
        text.setItalic(false);
    if (size && *size > 0)
        text.setPointSize(*size);

    if (m_handler && !m_handler->textElement(text, xml))
        return true;
    sink(text, alignment, isTrue(attributes.value(QLatin1String("inline"))));
    return true;
}

bool XmlTemplateLoader::readTableAttributes(AbstractTableElement &table)
{
    std::optional<qreal> width;
    std::optional<qreal> padding;
    std::optional<qreal> border;
    if (!readNumber(QLatin1String("width"), NoLimit, &width)
        || !readNumber(QLatin1String("cellpadding"), MaxLengthMm, &padding)
        || !readNumber(QLatin1String("border"), AbstractTableElement::MaximumBorder, &border))
        return false;
    if (width)
        table.setWidth(*width);
    if (padding)
        table.setPadding(*padding);
    if (border)
        table.setBorder(*border);
    return true;
}

bool XmlTemplateLoader::readTable(const Sink &sink, const QString &fontFamily)
{
    // Cells hold flows that hold tables: the reader recurses once per level.
    if (m_tableDepth >= MaxTableDepth)
        return failHere(QStringLiteral("Таблицы вложены глубже %1 уровней").arg(MaxTableDepth));

    QDomElement xml = currentAsDom();
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (attributes.hasAttribute(QLatin1String("model")))
        return readAutoTable(sink, xml);

    TableElement table;
    if (!readTableAttributes(table))
        return false;
    ++m_tableDepth;
    bool cellsRead = true;
    while (cellsRead && nextChild()) {
        if (m_reader.name() != QLatin1String("cell"))
            cellsRead = failHere(QStringLiteral("Неизвестный элемент «%1»").arg(m_reader.name()));
        else
            cellsRead = readCell(table, fontFamily);
    }
    --m_tableDepth;
    if (!cellsRead)
        return false;
    if (m_reader.hasError())
        return failFromReader();

    if (m_handler && !m_handler->tableElement(table, xml))
        return true;
    sink(table, Qt::AlignLeft, false);
    return true;
}

bool XmlTemplateLoader::readAutoTable(const Sink &sink, QDomElement &xml)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    AutoTableElement table(m_models.value(attributes.value(QLatin1String("model")).toString()));
    if (!readTableAttributes(table))
        return false;
    if (isFalse(attributes.value(QLatin1String("verticalHeaderVisible"))))
        table.setVerticalHeaderVisible(false);
    if (attributes.hasAttribute(QLatin1String("headerBackground"))) {
        const QColor colour(attributes.value(QLatin1String("headerBackground")).toString());
        if (colour.isValid())
            table.setHeaderBackground(colour);
    }
    if (!expectNoChildren())
        return false;

    if (m_handler && !m_handler->autoTableElement(table, xml))
        return true;
    sink(table, Qt::AlignLeft, false);  // the sink's copy takes the model's contents
    return true;
}

bool XmlTemplateLoader::readCell(TableElement &table, const QString &fontFamily)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    int row = 0;
    int column = 0;
    if (!readPosition(attributes, &row, &column) || row < 0 || column < 0 || row >= MaxTemplateRows
        || column >= MaxTemplateColumns)
        return failHere(QStringLiteral("Неверное место ячейки: строка «%1», столбец «%2»")
                                .arg(attributes.value(QLatin1String("row")),
                                     attributes.value(QLatin1String("column"))));

    Cell &cell = table.cell(row, column);
    const Sink sink = [&cell](const Element &element, Qt::Alignment alignment, bool isInline) {
        if (isInline)
            cell.addInlineElement(element);
        else
            cell.addElement(element, alignment);
    };
    return readFlow(sink, fontFamily, nullptr);
}

bool XmlTemplateLoader::readVSpace(const Sink &sink)
{
    QDomElement xml = currentAsDom();
    std::optional<qreal> read;
    if (!readNumber(QLatin1String("size"), MaxLengthMm, &read))
        return false;
    qreal size = read.value_or(0);
    if (!expectNoChildren())
        return false;
    if (m_handler && !m_handler->vSpace(size, xml))
        return true;
    sink(SpacerElement(size), Qt::AlignLeft, false);
    return true;
}

bool XmlTemplateLoader::readHLine(const Sink &sink)
{
    QDomElement xml = currentAsDom();
    if (!expectNoChildren())
        return false;
    HLineElement line;
    if (m_handler && !m_handler->hLineElement(line, xml))
        return true;
    sink(line, Qt::AlignLeft, false);
    return true;
}

bool XmlTemplateLoader::readHeader(TemplateContent *content)
{
    // Only the first page has a header; it is written at the top of the body.
    // A later header replaces an earlier one; a failed load drops the whole content.
    const QString fontFamily = m_reader.attributes().value(QLatin1String("font")).toString();
    content->header.clear();
    content->hasHeader = true;
    return readFlow(appendTo(content->header), fontFamily, nullptr);
}

}  // namespace ReportEngine
