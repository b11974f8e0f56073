#include "infowidget.h"

#include "global.h"
#include "networkmanagerwrapper.h"
#include "ui_infowidget.h"

#include <QUrl>

InfoWidget::InfoWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::InfoWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_X11NetWmWindowTypeDialog);
    model.setHeaders({{"ID", "id"}, {"ФИО", "fullname"}, {"Сообщение", "message"}});
    ui->tableView->setModel(&model);
    connect(&model, &RequestTableModel::selectFinished, this, [this] {
        ui->tableView->resizeColumnsToContents();
        emit selectFinished();
    });
}

InfoWidget::~InfoWidget()
{
    // The view outlives the model held by value; detach it first.
    ui->tableView->setModel(nullptr);
    delete ui;
}

void InfoWidget::select()
{
    const NetworkManagerWrapper wrapper;
    model.setRequest(wrapper.prepareRequest(QUrl(Global::endpoint(QStringLiteral("persons/info"))), true));
    model.select();
}

int InfoWidget::getInfoAmount() const
{
    return model.rowCount();
}
