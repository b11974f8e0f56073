#pragma once

#include "abstracttableelement.h"

#include <QBrush>
#include <QList>
#include <QPointer>
#include <QStringList>

class QAbstractItemModel;

namespace ReportEngine {

// A table made from an item model: one header row with the model's
// horizontal header labels (repeated on every page), then one row per model
// row with the display texts. Header and cell alignments, horizontal and
// vertical, come from the model's text-alignment role; headers without a
// horizontal one are centred, cells without one are left-aligned.
//
// The model's contents are copied when the element is added to a report or a
// cell (or loaded from a template), so the model may be destroyed right after.
class AutoTableElement : public AbstractTableElement
{
public:
    explicit AutoTableElement(QAbstractItemModel *model);

    // Background of the header cells (light grey unless set).
    void setHeaderBackground(const QBrush &brush);
    QBrush headerBackground() const;

    // Whether a first column with the model's vertical header labels is shown
    // (it is unless switched off).
    void setVerticalHeaderVisible(bool visible);
    bool isVerticalHeaderVisible() const;

    // The copied texts and alignments.
    struct Contents
    {
        int rowCount = 0;
        int columnCount = 0;
        QStringList headerTexts;
        QList<Qt::Alignment> headerAlignments;
        QStringList verticalHeaderTexts;
        QStringList cellTexts;  // row by row
        QList<Qt::Alignment> cellAlignments;
    };
    // What the table shows: the copy if one was taken, otherwise the model's
    // current contents.
    std::shared_ptr<const Contents> contents() const;

    std::unique_ptr<Element> clone() const override;
    void build(ReportBuilder &builder) const override;

private:
    QPointer<QAbstractItemModel> m_model;
    std::shared_ptr<const Contents> m_contents;
    QBrush m_headerBackground;
    bool m_verticalHeaderVisible = true;
};

}  // namespace ReportEngine
