#pragma once

#include <QDate>
#include <QDateTime>

// The client's "now": the proposed check-in times, the year lists and the
// dates printed on documents read it, so that tests can fix the moment.
namespace Clock {

QDateTime now();
QDate today();

// Fixes "now" for tests; a null date-time returns to the system clock.
void setNow(const QDateTime &moment);

}  // namespace Clock
