#pragma once

#include "journalwidget.h"

namespace Ui {
class PropertyJournalWidget;
}

// "Журнал проката": the items lent on receipts in a year. A newly chosen
// year is loaded at the next refresh.
class PropertyJournalWidget : public JournalWidget
{
    Q_OBJECT

public:
    explicit PropertyJournalWidget(QWidget *parent = nullptr);
    ~PropertyJournalWidget() override;

protected:
    QString endpointFor(std::optional<int> year) const override;

private:
    Ui::PropertyJournalWidget *ui;
};
