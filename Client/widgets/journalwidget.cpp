#include "journalwidget.h"

#include "clock.h"
#include "datetimeitemdelegate.h"
#include "moneyitemdelegate.h"
#include "unimplemented.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>

namespace {

// The first year the journals were kept in.
constexpr int firstJournalYear = 2022;

}  // namespace

JournalWidget::JournalWidget(QWidget *parent)
    : RawViewWidget(parent)
{
}

void JournalWidget::setUpJournal(const Controls &form, const JsonTableModel::Headers &columns,
                                 const QList<QPair<int, Display>> &display, YearChoice yearChoice)
{
    controls = form;
    model.setHeaders(columns);
    proxy.setSourceModel(&model);
    controls.table->setModel(&proxy);

    for (const auto &[column, kind] : display) {
        // Given to the view, which deletes them with itself.
        QAbstractItemDelegate *delegate = nullptr;
        if (kind == Display::Money)
            delegate = new MoneyItemDelegate(controls.table);
        else
            delegate = new DateTimeItemDelegate(controls.table, kind == Display::Date);
        controls.table->setItemDelegateForColumn(column, delegate);
    }

    for (int year = Clock::today().year(); year >= firstJournalYear; --year)
        controls.years->addItem(QString::number(year), year);

    connect(controls.refresh, &QPushButton::clicked, this, &JournalWidget::handleUpdate);
    connect(controls.yearFilter, &QCheckBox::stateChanged, this, &JournalWidget::handleUpdate);
    if (yearChoice == YearChoice::Reloads)
        connect(controls.years, &QComboBox::currentIndexChanged, this, &JournalWidget::handleUpdate);
    connect(controls.table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, controls.table,
            &QTableView::sortByColumn);
    connect(controls.search, &QLineEdit::textChanged, &proxy,
            &ExtendedFilterProxyModel::setSearchText);
}

void JournalWidget::fromJson(const QJsonDocument &document)
{
    model.setJson(document);
    controls.table->resizeColumnsToContents();
    // Sorted anew even when the indicator already stands there.
    controls.table->sortByColumn(0, Qt::DescendingOrder);
}

QJsonDocument JournalWidget::toJson()
{
    unimplementedFunctionCalled(
        QStringLiteral("virtual QJsonDocument %1::toJson()").arg(metaObject()->className()));
}

void JournalWidget::handleUpdate()
{
    std::optional<int> year;
    if (controls.yearFilter->isChecked()) {
        // A year typed into the box has no item data; its text is the year.
        const QVariant data = controls.years->currentData();
        static const QRegularExpression typedYear(QStringLiteral("^\\d{4}$"));
        const QString text = controls.years->currentText().trimmed();
        if (data.isValid())
            year = data.toInt();
        else if (typedYear.match(text).hasMatch())
            year = text.toInt();
        else
            return;  // no year to ask for
    }
    setEndpoint(endpointFor(year));
    RawViewWidget::handleUpdate();
}
