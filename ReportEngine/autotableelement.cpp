#include "autotableelement.h"

#include "reportbuilder.h"
#include "textelement.h"

#include <QAbstractItemModel>

namespace ReportEngine {

namespace {

// The model's alignment, horizontal and vertical; the fallback stands in
// for a horizontal part that the model leaves out.
Qt::Alignment alignmentFrom(const QVariant &value, Qt::Alignment fallback)
{
    if (!value.isValid())
        return fallback;
    const Qt::Alignment alignment(value.toInt());
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    return (horizontal ? horizontal : fallback) | (alignment & Qt::AlignVertical_Mask);
}

}  // namespace

AutoTableElement::AutoTableElement(QAbstractItemModel *model)
    : m_model(model)
    , m_headerBackground(QColor(0xdd, 0xdd, 0xdd))
{
}

void AutoTableElement::setHeaderBackground(const QBrush &brush)
{
    m_headerBackground = brush;
}

QBrush AutoTableElement::headerBackground() const
{
    return m_headerBackground;
}

void AutoTableElement::setVerticalHeaderVisible(bool visible)
{
    m_verticalHeaderVisible = visible;
}

bool AutoTableElement::isVerticalHeaderVisible() const
{
    return m_verticalHeaderVisible;
}

std::shared_ptr<const AutoTableElement::Contents> AutoTableElement::contents() const
{
    if (m_contents)
        return m_contents;

    auto contents = std::make_shared<Contents>();
    const QAbstractItemModel *model = m_model.data();
    if (!model)
        return contents;

    contents->rowCount = model->rowCount();
    contents->columnCount = model->columnCount();
    for (int column = 0; column < contents->columnCount; ++column) {
        contents->headerTexts << withoutDirectionControls(
                model->headerData(column, Qt::Horizontal).toString());
        contents->headerAlignments << alignmentFrom(
                model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole),
                Qt::AlignHCenter);
    }
    contents->cellTexts.reserve(contents->rowCount * contents->columnCount);
    contents->cellAlignments.reserve(contents->rowCount * contents->columnCount);
    for (int row = 0; row < contents->rowCount; ++row) {
        contents->verticalHeaderTexts << withoutDirectionControls(
                model->headerData(row, Qt::Vertical).toString());
        for (int column = 0; column < contents->columnCount; ++column) {
            const QModelIndex index = model->index(row, column);
            contents->cellTexts << withoutDirectionControls(model->data(index).toString());
            contents->cellAlignments << alignmentFrom(
                    model->data(index, Qt::TextAlignmentRole), Qt::AlignLeft);
        }
    }
    return contents;
}

std::unique_ptr<Element> AutoTableElement::clone() const
{
    auto copy = std::make_unique<AutoTableElement>(*this);
    copy->m_contents = contents();
    copy->m_model = nullptr;
    return copy;
}

void AutoTableElement::build(ReportBuilder &builder) const
{
    builder.writeAutoTable(*this);
}

}  // namespace ReportEngine
