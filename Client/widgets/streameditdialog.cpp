#include "streameditdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "defaultjsonvalidator.h"
#include "editorfields.h"
#include "selectorfactory.h"
#include "ui_streameditdialog.h"

#include <QIntValidator>
#include <QJsonObject>

#include <limits>

StreamEditDialog::StreamEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::StreamEditDialog)
{
    ui->setupUi(this);

    // Every curriculum, archived ones too. The field owns its selector.
    ui->curriculumSelectorWidget->setSelector(SelectorFactory::createCurriculumSelector(false));
    ui->externalIdLineEdit->setValidator(
        new QIntValidator(0, std::numeric_limits<int>::max(), ui->externalIdLineEdit));

    auto *validator = new DefaultJsonValidator(this);
    validator->addRequiredProperty(QStringLiteral("name"), QStringLiteral("Наименование"), false);
    validator->addRequiredProperty(QStringLiteral("curriculumId"),
                                   QStringLiteral("Образовательная программа"), true);
    setJsonValidator(validator);
}

StreamEditDialog::~StreamEditDialog()
{
    delete ui;
}

void StreamEditDialog::reset()
{
    ui->nameLineEdit->setText(QString());
    ui->externalIdLineEdit->setText(QString());
    ui->periodStartDateEdit->setDate(Clock::today());
    ui->periodEndDateEdit->setDate(Clock::today());
    ui->curriculumSelectorWidget->reset();
}

void StreamEditDialog::fromData(const QMap<QString, QVariant> &data)
{
    ui->nameLineEdit->setText(data.value(QStringLiteral("name")).toString());
    ui->externalIdLineEdit->setText(data.value(QStringLiteral("externalId")).toString());
    ui->periodStartDateEdit->setDate(EditorFields::dateOf(data.value(QStringLiteral("startDate"))));
    ui->periodEndDateEdit->setDate(EditorFields::dateOf(data.value(QStringLiteral("endDate"))));
    EditorFields::selectReference(
        ui->curriculumSelectorWidget,
        EditorFields::referenceId(data.value(QStringLiteral("curriculumId"))));
}

void StreamEditDialog::fromModel(const QModelIndex &row)
{
    ui->nameLineEdit->setText(row.siblingAtColumn(1).data().toString());
    ui->externalIdLineEdit->setText(row.siblingAtColumn(5).data().toString());
    ui->periodStartDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(2).data()));
    ui->periodEndDateEdit->setDate(EditorFields::dateOf(row.siblingAtColumn(3).data()));
    EditorFields::selectReferenceOfRow(ui->curriculumSelectorWidget, row,
                                       QStringLiteral("curriculum"),
                                       QStringLiteral("Client/widgets/streameditdialog"), __LINE__);
}

QJsonDocument StreamEditDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("name"), ui->nameLineEdit->text()},
        // 0 for text that is not a 32-bit whole number, an empty field included.
        {QStringLiteral("externalId"), ui->externalIdLineEdit->text().toInt()},
        {QStringLiteral("startDate"), EditorFields::dateText(ui->periodStartDateEdit->date())},
        {QStringLiteral("endDate"), EditorFields::dateText(ui->periodEndDateEdit->date())},
        {QStringLiteral("curriculumId"), ui->curriculumSelectorWidget->getSelectedId()},
    });
}
