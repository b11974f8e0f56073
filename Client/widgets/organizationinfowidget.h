#pragma once

#include "rawviewwidget.h"

namespace Ui {
class OrganizationInfoWidget;
}

// The organization's details that the printed documents carry in their
// header: name, two addresses, taxpayer numbers and a comment.
class OrganizationInfoWidget : public RawViewWidget
{
    Q_OBJECT

public:
    explicit OrganizationInfoWidget(QWidget *parent = nullptr);
    ~OrganizationInfoWidget() override;

    void fromJson(const QJsonDocument &document) override;
    QJsonDocument toJson() override;

private:
    Ui::OrganizationInfoWidget *ui;
};
