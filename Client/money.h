#pragma once

#include <QString>
#include <QtGlobal>

// Every amount the program prints passes through here: rounded once to whole
// kopecks, so that the figures, the words and the kopecks of one document can
// never disagree, and a difference of two equal sums never prints "-0.00".
namespace Money {

// Rounds half away from zero to whole kopecks.
qint64 toKopecks(double amount);

// Two decimals, a point, no grouping: "1500.00", "1234.05", "-150.00".
QString format(qint64 kopecks);
QString format(double amount);

}  // namespace Money
