#pragma once

#include <QDialog>

// A dialog that creates a new record of a selector's list from inside the
// selector; the selector reloads when it reports addingFinished.
class CommonSelectorAddHandler : public QDialog
{
    Q_OBJECT

public:
    explicit CommonSelectorAddHandler(QWidget *parent = nullptr)
        : QDialog(parent)
    {
    }

signals:
    void addingFinished();
};
