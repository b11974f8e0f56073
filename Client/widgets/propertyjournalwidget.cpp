#include "propertyjournalwidget.h"

#include "ui_propertyjournalwidget.h"

PropertyJournalWidget::PropertyJournalWidget(QWidget *parent)
    : JournalWidget(parent)
    , ui(new Ui::PropertyJournalWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Журнал проката"));
    setUpJournal({ui->tableView, ui->refreshButton, ui->searchLineEdit, ui->yearFilterCheckBox,
                  ui->yearComboBox},
                 {{"ID", "id"},
                  {"№ кв-ции", "number"},
                  {"Ф И О", "fullname"},
                  {"Имущество", "name"},
                  {"Инд. №", "index"},
                  {"Начало", "startDate"},
                  {"Конец", "endDate"},
                  {"Ед. изм.", "measurement"},
                  {"Кол-во", "amount"},
                  {"Дата приема", "receiveDate"},
                  {"Принял", "receiver"}},
                 {{5, Display::DateTime}, {6, Display::DateTime}, {9, Display::Date}},
                 YearChoice::WaitsForRefresh);
}

PropertyJournalWidget::~PropertyJournalWidget()
{
    delete ui;
}

QString PropertyJournalWidget::endpointFor(std::optional<int> year) const
{
    return year ? QStringLiteral("properties/journal?year=%1").arg(*year)
                : QStringLiteral("properties/journal");
}
