#include "clock.h"

namespace Clock {

namespace {
QDateTime &fixedMoment()
{
    static QDateTime moment;
    return moment;
}
}  // namespace

QDateTime now()
{
    return fixedMoment().isValid() ? fixedMoment() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setNow(const QDateTime &moment)
{
    fixedMoment() = moment;
}

}  // namespace Clock
