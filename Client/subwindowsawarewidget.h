#pragma once

#include <QWidget>

// A window that asks the main window to show or close further tabs of its own.
class SubwindowsAwareWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SubwindowsAwareWidget(QWidget *parent = nullptr)
        : QWidget(parent)
    {
    }

signals:
    void addingSubwindow(QWidget *widget);
    void closingSubwindow(QWidget *widget);
};
