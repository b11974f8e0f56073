#include "organizationseditdialog.h"

#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "directorycolumns.h"
#include "editorfields.h"
#include "ui_organizationseditdialog.h"

#include <QJsonObject>

OrganizationsEditDialog::OrganizationsEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::OrganizationsEditDialog)
{
    ui->setupUi(this);

    // The field owns its selector and deletes it with itself.
    ui->regionSelectorEdit->setSelector(
        CommonSelectorDialog::Builder::create()
            ->withDisplayColumn(1)
            ->withEndpoint(QStringLiteral("regions?pretty=true"))
            ->withHeaders(DirectoryColumns::regions()
                              .only({"id", "name", "code", "district.name"})
                              .relabelled("code", QStringLiteral("Код"))
                              .headers())
            ->build());

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    validator->addRequiredProperty(QStringLiteral("code"), QStringLiteral("Код"), false);
    validator->addRequiredProperty(QStringLiteral("regionId"), QStringLiteral("Регион"), true);
    setJsonValidator(validator);
}

OrganizationsEditDialog::~OrganizationsEditDialog()
{
    delete ui;
}

void OrganizationsEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->codeLineEdit->setText(QString());
    ui->innLineEdit->setText(QString());
    ui->archivedCheckBox->setChecked(false);
    ui->regionSelectorEdit->reset();
}

void OrganizationsEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->codeLineEdit->setText(data.value(QStringLiteral("code")).toString());
    ui->innLineEdit->setText(data.value(QStringLiteral("inn")).toString());
    ui->archivedCheckBox->setChecked(data.value(QStringLiteral("archived")).toBool());
    EditorFields::selectReference(ui->regionSelectorEdit,
                                  EditorFields::referenceId(data.value(QStringLiteral("regionId"))));
}

void OrganizationsEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(1).data().toString());
    ui->codeLineEdit->setText(row.siblingAtColumn(3).data().toString());
    ui->innLineEdit->setText(row.siblingAtColumn(4).data().toString());
    ui->archivedCheckBox->setChecked(row.siblingAtColumn(5).data().toBool());
    EditorFields::selectReferenceOfRow(ui->regionSelectorEdit, row, QStringLiteral("region"),
                                       QStringLiteral("Client/widgets/organizationseditdialog"),
                                       __LINE__);
}

QJsonDocument OrganizationsEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        {QStringLiteral("inn"), ui->innLineEdit->text()},
        {QStringLiteral("code"), ui->codeLineEdit->text()},
        {QStringLiteral("regionId"), ui->regionSelectorEdit->getSelectedId()},
        {QStringLiteral("archived"), ui->archivedCheckBox->isChecked()},
    });
}
