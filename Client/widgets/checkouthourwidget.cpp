#include "checkouthourwidget.h"

#include "ui_checkouthourwidget.h"

#include <QJsonObject>
#include <QTime>

CheckoutHourWidget::CheckoutHourWidget(QWidget *parent)
    : RawViewWidget(parent)
    , ui(new Ui::CheckoutHourWidget)
{
    ui->setupUi(this);
    setEndpoint(QStringLiteral("globals/CheckoutHour"));
    // Nothing good has been loaded yet: a save would store midnight.
    ui->saveButton->setEnabled(false);
    connect(ui->saveButton, &QPushButton::clicked, this, &RawViewWidget::save);
}

CheckoutHourWidget::~CheckoutHourWidget()
{
    delete ui;
}

void CheckoutHourWidget::fromJson(const QJsonDocument &document)
{
    // After a failed load the shown time may be none the server has, so it
    // is not saved until a load succeeds.
    const bool loaded = !replyFailed() && document.isObject();
    ui->saveButton->setEnabled(loaded);
    if (!loaded)
        return;
    const QTime time = QTime::fromString(
        document.object().value(QStringLiteral("value")).toString(), Qt::ISODateWithMs);
    if (time.isValid())
        ui->timeEdit->setTime(time);
}

QJsonDocument CheckoutHourWidget::toJson()
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("value"), ui->timeEdit->time().toString(QStringLiteral("hh:mm:ss"))}});
}
