#include "curriculumeditdialog.h"

#include "defaultjsonvalidator.h"
#include "ui_curriculumeditdialog.h"

#include <QIntValidator>
#include <QJsonObject>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace {

// Both separators are taken: a Russian keyboard gives a comma, a list cell a
// point, and a price read with the wrong one used to be saved as 0.
double price(QString text)
{
    bool ok = false;
    const double value = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

}  // namespace

CurriculumEditDialog::CurriculumEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::CurriculumEditDialog)
{
    ui->setupUi(this);

    const int largest = std::numeric_limits<int>::max();
    ui->valueLineEdit->setValidator(new QIntValidator(0, largest, ui->valueLineEdit));
    ui->externalIdLineEdit->setValidator(new QIntValidator(0, largest, ui->externalIdLineEdit));
    ui->costLineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*([.,][0-9]{0,2})?")), ui->costLineEdit));

    // Unticking keeps the price typed so far; it is still saved.
    connect(ui->paidCheckBox, &QCheckBox::stateChanged, this,
            [this](int state) { ui->costLineEdit->setEnabled(state == Qt::Checked); });

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    // Never refuses: an empty volume is written as 0.
    validator->addRequiredProperty(QStringLiteral("value"), QStringLiteral("Объем"), false);
    setJsonValidator(validator);
}

CurriculumEditDialog::~CurriculumEditDialog()
{
    delete ui;
}

void CurriculumEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->externalIdLineEdit->setText(QString());
    ui->valueLineEdit->setText(QString());
    ui->paidCheckBox->setChecked(false);
    ui->archivedCheckBox->setChecked(false);
    ui->costLineEdit->setText(QString());
    ui->baseLineEdit->setText(QString());
}

void CurriculumEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->externalIdLineEdit->setText(data.value(QStringLiteral("externalId")).toString());
    ui->valueLineEdit->setText(data.value(QStringLiteral("value")).toString());
    ui->paidCheckBox->setChecked(data.value(QStringLiteral("paid")).toBool());
    ui->archivedCheckBox->setChecked(data.value(QStringLiteral("archived")).toBool());
    ui->costLineEdit->setText(data.value(QStringLiteral("cost")).toString());
    ui->baseLineEdit->setText(data.value(QStringLiteral("base")).toString());
}

QJsonDocument CurriculumEditDialog::getJson() const
{
    // Text that is not a whole number in the 32-bit range, an empty field
    // included, is written as 0.
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("externalId"), ui->externalIdLineEdit->text().toInt()},
        {QStringLiteral("value"), ui->valueLineEdit->text().toInt()},
        {QStringLiteral("paid"), ui->paidCheckBox->isChecked()},
        {QStringLiteral("archived"), ui->archivedCheckBox->isChecked()},
        {QStringLiteral("cost"), price(ui->costLineEdit->text())},
        {QStringLiteral("base"), ui->baseLineEdit->text()},
    });
}
