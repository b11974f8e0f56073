#pragma once

#include <QString>
#include <QtGlobal>

// Every amount the program prints passes through here: rounded once to whole
// kopecks, so that the figures, the words and the kopecks of one document can
// never disagree, and a difference of two equal sums never prints "-0.00".
namespace Money {

// The most an amount can be, in roubles either way: the most the words of a
// bill or a receipt can spell. A server's figure beyond it, or one that is no
// number at all, is taken for no amount, as a missing one is: it prints 0.00
// and adds nothing, so that no sum of kopecks can overflow.
constexpr double maxAmount = 999999999.99;
bool isAmount(double amount);

// Rounds half away from zero to whole kopecks; 0 for what isAmount refuses.
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
