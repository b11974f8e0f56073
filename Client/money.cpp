#include "money.h"

#include "global.h"

#include <cmath>

namespace Money {

bool isAmount(double amount)
{
    return std::isfinite(amount) && std::fabs(amount) <= maxAmount;
}

qint64 toKopecks(double amount)
{
    if (!isAmount(amount))
        return 0;
    // 2019.9999999999998 * 100 lands a hair below 202000; rounding the
    // product, not truncating it, is what puts it back on the kopeck.
    return static_cast<qint64>(std::llround(amount * 100.0));
}

QString format(qint64 kopecks)
{
    // Unsigned, so that even the most negative sum has a magnitude.
    const quint64 magnitude = kopecks < 0 ? 0 - quint64(kopecks) : quint64(kopecks);
    return QStringLiteral("%1%2.%3")
        .arg(kopecks < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString format(double amount)
{
    return format(toKopecks(amount));
}

Spelled spell(qint64 kopecks)
{
    const QString figures = format(kopecks);
    const qint64 roubles = kopecks / 100;  // toward zero, as the figures read
    QString words = Global::doubleToString(static_cast<double>(roubles), false);
    if (kopecks < 0 && roubles == 0)
        words.prepend(QStringLiteral("минус "));
    return {figures, words, figures.right(2)};
}

Spelled spell(double amount)
{
    return spell(toKopecks(amount));
}

}  // namespace Money
