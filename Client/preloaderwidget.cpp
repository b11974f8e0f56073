#include "preloaderwidget.h"

#include "ui_preloaderwidget.h"

PreloaderWidget::PreloaderWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::PreloaderWidget)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_X11NetWmWindowTypeDialog);
    setWindowFlags(Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
}

PreloaderWidget::~PreloaderWidget()
{
    delete ui;
}
