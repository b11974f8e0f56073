#pragma once

#include "journalwidget.h"

namespace Ui {
class ReceiptsJournalWidget;
}

// "Журнал квитанций": the extra-service receipts of a year.
class ReceiptsJournalWidget : public JournalWidget
{
    Q_OBJECT

public:
    explicit ReceiptsJournalWidget(QWidget *parent = nullptr);
    ~ReceiptsJournalWidget() override;

protected:
    QString endpointFor(std::optional<int> year) const override;

private:
    Ui::ReceiptsJournalWidget *ui;
};
