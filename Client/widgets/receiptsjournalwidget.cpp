#include "receiptsjournalwidget.h"

#include "ui_receiptsjournalwidget.h"

ReceiptsJournalWidget::ReceiptsJournalWidget(QWidget *parent)
    : JournalWidget(parent)
    , ui(new Ui::ReceiptsJournalWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Журнал квитанций"));
    setUpJournal({ui->tableView, ui->refreshButton, ui->searchLineEdit, ui->yearFilterCheckBox,
                  ui->yearComboBox},
                 {{"ID", "id"},
                  {"№ кв-ции", "number"},
                  {"Ф И О", "fullname"},
                  {"Услуга", "name"},
                  {"Начало", "startDate"},
                  {"Конец", "endDate"},
                  {"Ед. изм.", "measurement"},
                  {"Кол-во", "amount"},
                  {"Taриф", "rate"},  // begins with the Latin "Ta", as it always has
                  {"Сумма", "cost"},
                  {"Дата оплаты", "payDate"},
                  {"Способ оплаты", "payType"},
                  {"Кассир", "cassir"}},
                 {{4, Display::DateTime},
                  {5, Display::DateTime},
                  {8, Display::Money},
                  {9, Display::Money},
                  {10, Display::Date}},
                 YearChoice::Reloads);
}

ReceiptsJournalWidget::~ReceiptsJournalWidget()
{
    delete ui;
}

QString ReceiptsJournalWidget::endpointFor(std::optional<int> year) const
{
    return year ? QStringLiteral("receipts/journal?year=%1").arg(*year)
                : QStringLiteral("receipts/journal");
}
