#pragma once

#include <QString>

namespace ReportEngine {

// Why a template could not be loaded: the message and where in the XML text
// the problem was found, counted from 1 (0 when unknown): where a syntax
// error was detected, or just after the start tag of an element that is not
// allowed where it stands.
class ErrorDetails
{
public:
    ErrorDetails();
    ErrorDetails(const QString &message, int line, int column);

    bool hasError() const;
    QString message() const;
    int line() const;
    int column() const;

private:
    QString m_message;
    int m_line = 0;
    int m_column = 0;
};

}  // namespace ReportEngine
