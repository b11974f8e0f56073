#pragma once

#include <QString>

#include <functional>

class QWidget;

// Copies a database of the older system into the server in fourteen stages,
// record by record, through the server's ordinary endpoints. The legacy
// database is only read, by column position. Nothing on the server is
// deleted or rolled back: a second run posts every checked stage again.
//
// A run waits for every request in a local event loop, so the page that
// started it keeps handling events; it reads each stage's check box when the
// stage starts and its stop request before every stage and every person, so
// that a stop never leaves a person with part of the records.
class LegacyImporter
{
public:
    enum Stage {
        Districts,
        Regions,
        Positions,
        Organizations,
        Curriculums,
        Streams,
        Rates,
        Rooms,
        PayTypes,
        Property,
        ExtraServices,
        Users,
        Globals,
        Persons
    };

    // What a run reads and writes of its page.
    struct Page
    {
        QString address;  // "host", "host:port"
        QString database;
        QString user;
        QString password;
        std::function<bool(Stage)> isChecked;
        std::function<void(const QString &)> log;
        std::function<void(int maximum, const QString &label)> setupProgress;
        std::function<void(int value)> setProgress;
        std::function<bool()> stopRequested;
        QWidget *boxParent = nullptr;  // of the "Ошибка импорта" boxes
    };

    struct Address
    {
        QString host;
        int port = 0;
    };
    // "host" is port 5432; a port that is not a number is 0; more parts are ignored.
    static Address parseAddress(const QString &text);

    // True when the last stage has ended; false after the first failure,
    // which has shown its box, or at a stop, which shows none.
    static bool run(const Page &page);
};
