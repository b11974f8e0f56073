#include "errordetails.h"

namespace ReportEngine {

ErrorDetails::ErrorDetails() = default;

ErrorDetails::ErrorDetails(const QString &message, int line, int column)
    : m_message(message)
    , m_line(line)
    , m_column(column)
{
}

bool ErrorDetails::hasError() const
{
    return !m_message.isEmpty();
}

QString ErrorDetails::message() const
{
    return m_message;
}

int ErrorDetails::line() const
{
    return m_line;
}

int ErrorDetails::column() const
{
    return m_column;
}

}  // namespace ReportEngine
