#pragma once

#include <QDoubleSpinBox>

// The one spin box of every amount and rate field. A Russian keyboard types
// a comma and a numeric keypad or a copied figure brings a point; the plain
// box drops the point under the Russian locale, so "5000.5" became 50005.
// Both are taken as the decimal separator, and the comma is what is shown.
class DecimalSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    explicit DecimalSpinBox(QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;
};
