#pragma once

#include <QWidget>

namespace Ui {
class PreloaderWidget;
}

// The application-modal busy indicator shown around blocking requests.
class PreloaderWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PreloaderWidget(QWidget *parent = nullptr);
    ~PreloaderWidget() override;

private:
    Ui::PreloaderWidget *ui;
};
