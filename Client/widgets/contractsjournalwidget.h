#pragma once

#include "journalwidget.h"

namespace Ui {
class ContractsJournalWidget;
}

// "Реестр контрактов": each contract with what is paid, awaited and
// forecast at the rate typed in "Тариф (прогноз)".
class ContractsJournalWidget : public JournalWidget
{
    Q_OBJECT

public:
    explicit ContractsJournalWidget(QWidget *parent = nullptr);
    ~ContractsJournalWidget() override;

protected:
    QString endpointFor(std::optional<int> year) const override;

private:
    Ui::ContractsJournalWidget *ui;
};
