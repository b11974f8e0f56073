#pragma once

#include "requesttablemodel.h"

#include <QWidget>

namespace Ui {
class InfoWidget;
}

// The server's messages about persons ("Информация"), one row per message.
// The persons view reloads it with every load of its list.
class InfoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit InfoWidget(QWidget *parent = nullptr);
    ~InfoWidget() override;

    void select();
    int getInfoAmount() const;

signals:
    void selectFinished();

private:
    Ui::InfoWidget *ui;
    RequestTableModel model;
};
