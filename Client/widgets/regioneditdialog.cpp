#include "regioneditdialog.h"

#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "global.h"
#include "requesttablemodel.h"
#include "ui_regioneditdialog.h"

#include <QJsonObject>

RegionEditDialog::RegionEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::RegionEditDialog)
{
    ui->setupUi(this);

    // The field owns its selector and deletes it with itself.
    ui->widget->setSelector(CommonSelectorDialog::Builder::create()
                                ->withDisplayColumn(1)
                                ->withEndpoint(QStringLiteral("districts"))
                                ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                               {QStringLiteral("Название"), QStringLiteral("name")}})
                                ->build());

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Название"), false);
    validator->addRequiredProperty(QStringLiteral("code"), QStringLiteral("Код"), false);
    validator->addRequiredProperty(QStringLiteral("districtId"), QStringLiteral("Округ"), true);
    setJsonValidator(validator);
}

RegionEditDialog::~RegionEditDialog()
{
    delete ui;
}

void RegionEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->codeLineEdit->setText(QString());
    ui->widget->reset();
}

void RegionEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->codeLineEdit->setText(data.value(QStringLiteral("code")).toString());
    const QVariant district = data.value(QStringLiteral("districtId"));
    selectDistrict(district.isNull() ? -1 : district.toInt());
}

void RegionEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(2).data().toString());
    ui->codeLineEdit->setText(row.siblingAtColumn(1).data().toString());

    const RequestTableModel *req = dynamic_cast<const RequestTableModel *>(row.model());
    if (!req) {
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"),
            QStringLiteral("Client/widgets/regioneditdialog"), __LINE__ - 3);
        return;
    }
    // A region without a district must not pass as district 0: the
    // required-reference check only refuses -1.
    const QJsonValue district = req->objectAt(row.row()).value(QStringLiteral("district"));
    selectDistrict(district.toObject().value(QStringLiteral("id")).toInt(-1));
}

QJsonDocument RegionEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("code"), ui->codeLineEdit->text()},
        {QStringLiteral("districtId"), ui->widget->getSelectedId()},
    });
}

void RegionEditDialog::selectDistrict(int id)
{
    // reset() also puts the label back to "Не выбрано"; setSelectedId(-1)
    // would keep the previous record's district name on show.
    if (id < 0)
        ui->widget->reset();
    else
        ui->widget->setSelectedId(id);
}
