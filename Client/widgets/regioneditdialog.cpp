#include "regioneditdialog.h"

#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "directorycolumns.h"
#include "editorfields.h"
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
                                ->withHeaders(DirectoryColumns::districts().headers())
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
    EditorFields::selectReference(ui->widget,
                                  EditorFields::referenceId(data.value(QStringLiteral("districtId"))));
}

void RegionEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(2).data().toString());
    ui->codeLineEdit->setText(row.siblingAtColumn(1).data().toString());
    EditorFields::selectReferenceOfRow(ui->widget, row, QStringLiteral("district"),
                                       QStringLiteral("Client/widgets/regioneditdialog"), __LINE__);
}

QJsonDocument RegionEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("code"), ui->codeLineEdit->text()},
        {QStringLiteral("districtId"), ui->widget->getSelectedId()},
    });
}
