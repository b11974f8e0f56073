#include "personreport.h"

#include "clock.h"
#include "filedialog.h"
#include "global.h"
#include "messagebox.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

using namespace ReportReply;
using ReportLayout::put;

namespace {

QString requestPath(const QMap<QString, QVariant> &values)
{
    return QStringLiteral("reports/persons?streamId=%1&curriculumId=%2&fact=%3&start=%4&end=%5")
        .arg(QString::number(values.value(QStringLiteral("streamId")).toInt()),
             QString::number(values.value(QStringLiteral("curriculumId")).toInt()),
             queryFlag(values.value(QStringLiteral("fact"))),
             values.value(QStringLiteral("startDate")).toString(),
             values.value(QStringLiteral("endDate")).toString());
}

QString nested(const QJsonObject &object, const QString &path)
{
    return text(Global::traverseJson(object, path));
}

// A listener of the export with the stream its line names.
struct Listener
{
    QJsonObject person;
    QJsonObject stream;
};

// Every person of the reply: the groups' "persons" under the group's stream,
// unless the person carries a stream of its own; an element that is itself
// an array is a list of persons with their own streams.
QList<Listener> listeners(const QJsonArray &reply)
{
    QList<Listener> result;
    auto add = [&result](const QJsonValue &value, const QJsonObject &groupStream) {
        const QJsonObject person = object(value);
        const QJsonValue own = person.value(QLatin1String("stream"));
        result.append({person, own.isObject() ? own.toObject() : groupStream});
    };
    for (const QJsonValue &element : reply) {
        if (element.isArray()) {
            for (const QJsonValue &person : element.toArray())
                add(person, QJsonObject());
            continue;
        }
        const QJsonObject group = object(element);
        const QJsonObject stream = object(group, "stream");
        for (const QJsonValue &person : array(group, "persons"))
            add(person, stream);
    }
    return result;
}

// A stream date as "dd.MM.yyyy"; a text that is not ISO 8601 loses its last
// six characters, which leaves the date of a "dd.MM.yyyy HH:mm" text.
QString streamDate(const QString &value)
{
    const QString date = Global::formatDate(value);
    if (!date.isEmpty() || value.size() <= 6)
        return date;
    return value.chopped(6);
}

// A value that would break the columns or the lines goes in double quotes;
// every other value is written as it is.
QString csvField(const QString &value)
{
    for (const QChar c : value) {
        if (c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\r')
            || c == QLatin1Char('\n')) {
            return QLatin1Char('"')
                + QString(value).replace(QLatin1Char('"'), QLatin1String("\"\""))
                + QLatin1Char('"');
        }
    }
    return value;
}

}  // namespace

PersonReport::PersonReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
    connect(&dialog, &PersonReportFilterDialog::csvExportRequested, this, &PersonReport::exportCsv);
}

void PersonReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    ReportLayout::setUpPage(report, QPageLayout::Landscape, 10, 8, 10, 8);
    report.addElement(ReportLayout::text(QStringLiteral("СПИСОК СЛУШАТЕЛЕЙ"), 0, true),
                      Qt::AlignCenter);

    const QJsonDocument reply = fetch(network, requestPath(values));
    const QList<ReportLayout::Column> columns{
        {QStringLiteral("№ п/п"), 2.4, Qt::AlignHCenter},
        {QStringLiteral("Ф И О"), 19.1, Qt::AlignLeft},
        {QStringLiteral("Дата рождения"), 6.2, Qt::AlignHCenter},
        {QStringLiteral("Регион"), 16.0, Qt::AlignLeft},
        {QStringLiteral("Организация"), 27.5, Qt::AlignLeft},
        {QStringLiteral("Должность"), 25.0, Qt::AlignLeft},
        {QStringLiteral("Номер"), 3.8, Qt::AlignHCenter}};

    for (const QJsonValue &element : reply.array()) {
        const QJsonObject group = object(element);
        const QJsonObject stream = object(group, "stream");
        const QJsonObject curriculum = object(stream, "curriculum");

        ReportEngine::TableElement table;
        ReportLayout::setUpTable(table, columns, 0);
        for (const QJsonValue &value : array(group, "persons")) {
            const QJsonObject person = object(value);
            const int row = table.rowCount();
            put(table, row, 0, QString::number(row), Qt::AlignHCenter);
            put(table, row, 1, text(person, "fullname"));
            put(table, row, 2, text(person, "birthDate"), Qt::AlignHCenter);
            put(table, row, 3, nested(person, QStringLiteral("organization.region.name")));
            put(table, row, 4, nested(person, QStringLiteral("organization.name")));
            put(table, row, 5, nested(person, QStringLiteral("position.name")));
            put(table, row, 6, nested(person, QStringLiteral("room.number")), Qt::AlignHCenter);
        }

        report.addVerticalSpacing(5);
        report.addElement(ReportLayout::text(
            QStringLiteral("Программа: %1 (%2)")
                .arg(text(curriculum, "name"), QString::number(integer(curriculum, "value")))));
        report.addElement(ReportLayout::text(
            QStringLiteral("Поток: %1 (%2 - %3)")
                .arg(text(stream, "name"), Global::formatDate(text(stream, "startDate")),
                     Global::formatDate(text(stream, "endDate")))));
        report.addVerticalSpacing(5);
        report.addElement(table, Qt::AlignLeft);
    }
}

void PersonReport::exportCsv()
{
    QWidget *parent = filterDialog();
    bool failed = false;
    const QJsonDocument reply = fetch(network, requestPath(filterDialog()->getValues()), &failed);
    // A file of the header alone would pass for an empty list. The wrapper
    // has said why a request failed; a refusal or a body that is no list
    // is told here.
    if (failed)
        return;
    if (!reply.isArray()) {
        const QString message = NetworkManagerWrapper::serverMessage(reply);
        MessageBox::critical(parent, QStringLiteral("Ошибка"),
                             message.isEmpty()
                                 ? QStringLiteral("Сервер не выдал список слушателей; файл не записан.")
                                 : QStringLiteral("Сервер не выдал список слушателей: %1. Файл не "
                                                  "записан.")
                                       .arg(message),
                             QMessageBox::Ok);
        return;
    }

    const QString proposed
        = QStringLiteral("%1/%2.csv")
              .arg(Global::getPreference(QStringLiteral("csvExportPath"), QString()).toString(),
                   Clock::today().toString(QStringLiteral("dd-MM-yyyy")));
    const QString fileName = FileDialog::getSaveFileName(parent, QStringLiteral("Экспорт в CSV"),
                                                         proposed, QStringLiteral("*.csv"));
    if (fileName.isEmpty())
        return;
    Global::setPreference(QStringLiteral("csvExportPath"), QFileInfo(fileName).absolutePath());

    QList<Listener> rows = listeners(reply.array());
    // By code unit, as the names are stored: no locale collation.
    std::stable_sort(rows.begin(), rows.end(), [](const Listener &a, const Listener &b) {
        return text(a.person, "fullname") < text(b.person, "fullname");
    });

    // Written whole or not at all: a failed export leaves the earlier file as it was.
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        out << QStringLiteral(
            "№ п/п;Ф И О;Дата рождения;Регион;Организация;Должность;Номер;Поток;Начало;Конец;\n");
        int number = 0;
        for (const Listener &row : rows) {
            const QStringList fields{QString::number(++number),
                                     text(row.person, "fullname"),
                                     text(row.person, "birthDate"),
                                     nested(row.person, QStringLiteral("organization.region.name")),
                                     nested(row.person, QStringLiteral("organization.name")),
                                     nested(row.person, QStringLiteral("position.name")),
                                     nested(row.person, QStringLiteral("room.number")),
                                     text(row.stream, "name"),
                                     streamDate(text(row.stream, "startDate")),
                                     streamDate(text(row.stream, "endDate"))};
            for (const QString &field : fields)
                out << csvField(field) << ';';
            out << '\n';
        }
        out.flush();
        if (Global::commitFile(file)) {
            MessageBox::information(parent, QStringLiteral("Успех"),
                                    QStringLiteral("Данные успешно экспортированы!"),
                                    QMessageBox::Ok);
            return;
        }
    }
    MessageBox::critical(parent, QStringLiteral("Ошибка"),
                         QStringLiteral("Не удалось записать файл %1").arg(fileName),
                         QMessageBox::Ok);
}
