#pragma once

#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "rawviewwidget.h"

#include <QList>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// Base of the journals: a read-only, searchable table of rows the server
// assembles for one year, or for all years, newest first.
class JournalWidget : public RawViewWidget
{
    Q_OBJECT

public:
    void fromJson(const QJsonDocument &document) override;
    // The journals never save.
    QJsonDocument toJson() override;

public slots:
    // Loads the rows of the chosen year.
    void handleUpdate() override;

protected:
    // The controls every journal's form has.
    struct Controls
    {
        QTableView *table;
        QPushButton *refresh;
        QLineEdit *search;
        QCheckBox *yearFilter;
        QComboBox *years;
    };
    enum class YearChoice { Reloads, WaitsForRefresh };
    enum class Display { DateTime, Date, Money };

    explicit JournalWidget(QWidget *parent);
    void setUpJournal(const Controls &controls, const JsonTableModel::Headers &columns,
                      const QList<QPair<int, Display>> &display, YearChoice yearChoice);
    // The endpoint for one year, or for all years.
    virtual QString endpointFor(std::optional<int> year) const = 0;

private:
    Controls controls{};
    JsonTableModel model;
    ExtendedFilterProxyModel proxy;
};
