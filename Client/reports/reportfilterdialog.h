#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

// Base of every report's filter dialog: the run resets it once, shows it,
// and builds the report from getValues() when it is accepted.
class ReportFilterDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportFilterDialog(QWidget *parent = nullptr);

    // Puts every field back to its default.
    virtual void reset();
    // The parameters by the keys the report's build reads.
    virtual QMap<QString, QVariant> getValues();
};
