#include "contractsjournalwidget.h"

#include "ui_contractsjournalwidget.h"

#include <QUrl>

namespace {

// Fixed notation, at most two decimals, no trailing zeros: an exponent
// ("2.5e+06") or a rounded figure ("12345.7") would forecast another rate.
QString rateText(double rate)
{
    QString text = QString::number(rate, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

}  // namespace

ContractsJournalWidget::ContractsJournalWidget(QWidget *parent)
    : JournalWidget(parent)
    , ui(new Ui::ContractsJournalWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Реестр контрактов"));
    QList<QPair<int, Display>> display{{3, Display::DateTime}, {4, Display::DateTime}};
    for (int column = 5; column <= 10; ++column)
        display.append({column, Display::Money});
    setUpJournal({ui->tableView, ui->refreshButton, ui->searchLineEdit, ui->yearFilterCheckBox,
                  ui->yearComboBox},
                 {{"ID", "id"},
                  {"Плательщик", "payer"},
                  {"Контракт", "name"},
                  {"Начало", "startDate"},
                  {"Конец", "endDate"},
                  {"Цена контракта", "contractCost"},
                  {"Оплачено", "paid"},
                  {"Ожидает оплаты", "awaitingPayment"},
                  {"Ожидает счет", "awaitingBill"},
                  {"Прогноз", "future"},
                  {"Остаток", "left"}},
                 display, YearChoice::Reloads);
}

ContractsJournalWidget::~ContractsJournalWidget()
{
    delete ui;
}

QString ContractsJournalWidget::endpointFor(std::optional<int> year) const
{
    const QString rate = rateText(ui->futureSpinBox->value());
    return year ? QStringLiteral("payments/contracts?rate=%1&year=%2").arg(rate).arg(*year)
                : QStringLiteral("payments/contracts?rate=%1").arg(rate);
}
