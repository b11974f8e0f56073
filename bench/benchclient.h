#pragma once

// The client of a benchmark that drives the program's own windows against an
// in-process stand-in: its settings kept in a directory of its own, no box
// waiting for an answer, pointed at the stand-in and signed in.

#include "loginmanager.h"
#include "messagebox.h"
#include "resources.h"
#include "settingsmanager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <utility>

inline void signInToStandIn(const QString &rootUrl, const QString &password)
{
    static QTemporaryDir settings;
    static bool prepared = false;
    if (!std::exchange(prepared, true)) {
        QCoreApplication::setOrganizationName(QStringLiteral("LOMIInfr"));
        QCoreApplication::setApplicationName(QStringLiteral("LOMI"));
        QStandardPaths::setTestModeEnabled(true);
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, settings.path());
        initClientResources();
        MessageBox::setAnswerUnqueued(true);
    }
    SettingsManager::instance()->setValue(QStringLiteral("connection/root_url"), rootUrl);
    QEventLoop loop;
    QObject::connect(LoginManager::instance(), &LoginManager::loginCompleted, &loop, &QEventLoop::quit);
    LoginManager::instance()->login(password);
    loop.exec();
}
