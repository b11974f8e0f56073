#include "receiptnumerationdialog.h"

#include "ui_receiptnumerationdialog.h"

#include <QJsonObject>
#include <QPushButton>

ReceiptNumerationDialog::ReceiptNumerationDialog(QWidget *parent)
    : RawViewWidget(parent)
    , ui(new Ui::ReceiptNumerationDialog)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Нумерация квитанций"));
    setAttribute(Qt::WA_X11NetWmWindowTypeDialog);
    setEndpoint(QStringLiteral("globals/ReceiptNumber"));
    // Until a load succeeds Ok would store the spin box's minimum less one.
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    // Closed only once the number is stored: after a failure the typed
    // number stays for another try.
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, [this] {
        if (save() == NetworkManagerWrapper::Outcome::Done)
            close();
    });
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QWidget::close);
}

ReceiptNumerationDialog::~ReceiptNumerationDialog()
{
    delete ui;
}

void ReceiptNumerationDialog::fromJson(const QJsonDocument &document)
{
    // A number stored from a failed load (0 from an empty body) would make
    // receipt numbers repeat, so Ok stays off until a load succeeds.
    const bool loaded = !replyFailed() && document.isObject();
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(loaded);
    if (!loaded)
        return;
    const qint64 next = document.object().value(QStringLiteral("value")).toInteger(0) + 1;
    ui->spinBox->setValue(int(qBound(qint64(ui->spinBox->minimum()), next, qint64(ui->spinBox->maximum()))));
}

QJsonDocument ReceiptNumerationDialog::toJson()
{
    return QJsonDocument(QJsonObject{{QStringLiteral("value"), ui->spinBox->value() - 1}});
}
