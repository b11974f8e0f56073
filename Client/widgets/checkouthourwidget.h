#pragma once

#include "rawviewwidget.h"

namespace Ui {
class CheckoutHourWidget;
}

// The checkout hour, from which the accommodation dialog proposes its
// check-in and check-out times.
class CheckoutHourWidget : public RawViewWidget
{
    Q_OBJECT

public:
    explicit CheckoutHourWidget(QWidget *parent = nullptr);
    ~CheckoutHourWidget() override;

    void fromJson(const QJsonDocument &document) override;
    // "hh:mm:ss", the form its reader expects; the seconds, which the form
    // does not show, are those last loaded.
    QJsonDocument toJson() override;

private:
    Ui::CheckoutHourWidget *ui;
};
