#include "paideducationreceipteditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "global.h"
#include "loginmanager.h"
#include "receiptfields.h"
#include "requesttablemodel.h"
#include "selectorfactory.h"
#include "ui_paideducationreceipteditdialog.h"
#include "unimplemented.h"

#include <QIntValidator>
#include <QJsonObject>

namespace {

QDate dateOf(const QJsonValue &value)
{
    return Global::toDate(value.toVariant().toString());
}

}  // namespace

PaidEducationReceiptEditDialog::PaidEducationReceiptEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PaidEducationReceiptEditDialog)
    , curriculumSelector(SelectorFactory::createCurriculumSelector(true))
{
    ui->setupUi(this);
    // Without it a stray letter would send the number as 0, or none at all.
    ui->numberLineEdit->setValidator(new QIntValidator(0, 999999, ui->numberLineEdit));
    ui->curriculumSelectorWidget->setSelector(curriculumSelector);
    ui->curriculumSelectorWidget->mapOntoGrid(ui->gridLayout, 1, 1);
    ui->gridLayout->removeWidget(ui->curriculumSelectorWidget);
    ui->curriculumSelectorWidget->hide();

    connect(curriculumSelector, &SelectorDialog::itemSelected, this, [this](const QModelIndex &index) {
        ui->rate_state->setText(index.siblingAtColumn(3).data().toString());
    });
    connect(ui->curriculumSelectorWidget, &SelectorEdit::reseted, ui->rate_state, &QLabel::clear);
    connect(ui->edit_receipt_num, &QPushButton::clicked, this,
            [this] { ui->numberLineEdit->setEnabled(!ui->numberLineEdit->isEnabled()); });

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("curriculumId"), QStringLiteral("Программа обучения"),
                                   true);
    setJsonValidator(validator);
}

PaidEducationReceiptEditDialog::~PaidEducationReceiptEditDialog()
{
    delete ui;
}

void PaidEducationReceiptEditDialog::reset()
{
    ui->curriculumSelectorWidget->reset();
    const QDate today = Clock::today();
    ui->dat_start->setDate(today);
    ui->dat_end->setDate(today);
    ui->pay_date->setDate(today);
    ui->numberLineEdit->setText(QStringLiteral("000000"));
    ui->numberLineEdit->setEnabled(false);
    ReceiptFields::fillPayTypes(ui->pay_type, networkManager);
}

void PaidEducationReceiptEditDialog::fromData(const QMap<QString, QVariant> &)
{
    unimplementedFunctionCalled(QStringLiteral(
        "virtual void PaidEducationReceiptEditDialog::fromData(QMap<QString, QVariant>)"));
}

void PaidEducationReceiptEditDialog::fromModel(const QModelIndex &row)
{
    const RequestTableModel *req = dynamic_cast<const RequestTableModel *>(row.model());
    if (!req) {
        reset();
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"),
            QStringLiteral("Client/widgets/paideducationreceipteditdialog"), 97);
        return;
    }
    // Taken before reset() waits for the pay types: the list may be reloaded
    // meanwhile and put another receipt in this row.
    const QJsonObject receipt = req->objectAt(row.row());
    reset();
    const QString number = receipt.value(QStringLiteral("number")).toVariant().toString();
    ui->numberLineEdit->setText(number.isEmpty() ? QStringLiteral("000000") : number);

    const int curriculumId = receipt.value(QStringLiteral("curriculum")).toObject()
                                 .value(QStringLiteral("id")).toInt(-1);
    if (curriculumId > 0)
        ui->curriculumSelectorWidget->setSelectedId(curriculumId);

    ui->dat_start->setDate(dateOf(receipt.value(QStringLiteral("startDate"))));
    ui->dat_end->setDate(dateOf(receipt.value(QStringLiteral("endDate"))));
    ui->pay_date->setDate(dateOf(receipt.value(QStringLiteral("payDate"))));
    if (receipt.value(QStringLiteral("payType")).isObject())
        ReceiptFields::holdPayType(ui->pay_type, receipt.value(QStringLiteral("payType")).toObject());
}

QJsonDocument PaidEducationReceiptEditDialog::getJson() const
{
    auto midnight = [](const QDate &date) {
        return QDateTime(date, QTime(0, 0)).toString(Qt::ISODateWithMs);
    };
    QJsonObject receipt{
        {QStringLiteral("curriculumId"), ui->curriculumSelectorWidget->getSelectedId()},
        {QStringLiteral("cassirId"), LoginManager::instance()->getUserId()},
        {QStringLiteral("startDate"), midnight(ui->dat_start->date())},
        {QStringLiteral("endDate"), midnight(ui->dat_end->date())},
        {QStringLiteral("payDate"), midnight(ui->pay_date->date())},
        {QStringLiteral("payTypeId"),
         ReceiptFields::currentPayType(ui->pay_type).value(QStringLiteral("id")).toInt()},
    };
    ReceiptFields::insertNumber(receipt, ui->numberLineEdit->text(), ui->pay_type);
    return QJsonDocument(receipt);
}
