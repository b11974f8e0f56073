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

// An amount as the bill and the receipt write it: in figures, the whole
// roubles in words and the kopecks as two digits, all three from one
// rounding. A negative amount keeps its sign in the words even below one
// rouble ("минус ноль"), so that "-0.50" is never read as a positive sum.
struct Spelled
{
    QString figures;  // "1500.50"
    QString words;    // "одна тысяча пятьсот"
    QString kopecks;  // "50"
};

Spelled spell(qint64 kopecks);
Spelled spell(double amount);

}  // namespace Money
