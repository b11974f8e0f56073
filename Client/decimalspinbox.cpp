#include "decimalspinbox.h"

DecimalSpinBox::DecimalSpinBox(QWidget *parent)
    : QDoubleSpinBox(parent)
{
    // Fixed rather than inherited, so that the comma shown never depends on
    // the system the program runs on.
    setLocale(QLocale(QLocale::Russian, QLocale::Russia));
}

QValidator::State DecimalSpinBox::validate(QString &input, int &pos) const
{
    // The edit takes the corrected text, so a typed point appears as a comma.
    input.replace(QLatin1Char('.'), locale().decimalPoint());
    return QDoubleSpinBox::validate(input, pos);
}
