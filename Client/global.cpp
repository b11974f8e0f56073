#include "global.h"

#include "messagebox.h"
#include "preloaderwidget.h"
#include "settingsmanager.h"
#include "textelement.h"

#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include <cmath>

QSettings *Global::settings = nullptr;
PreloaderWidget *Global::preloader = nullptr;

QString Global::endpoint(const QString &path)
{
    const QString root = SettingsManager::instance()->getValue("connection/root_url").toString();
    const QUrl base(root, QUrl::TolerantMode);
    const QUrl relative(path, QUrl::TolerantMode);
    return base.resolved(relative).toString();
}

bool Global::confirm(const QString &text)
{
    return MessageBox::question(nullptr, QStringLiteral("Вы уверены?"), text,
                                QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void Global::warningAssertionFailed(const QString &condition, const QString &file, int line)
{
    MessageBox::warning(nullptr, QStringLiteral("Assertion failed"),
                        QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(condition),
                        QMessageBox::Ok);
}

QDateTime Global::toDateTime(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

QDate Global::toDate(const QString &text)
{
    return toDateTime(text).date();
}

QString Global::formatDate(const QString &text)
{
    return toDate(text).toString(QStringLiteral("dd.MM.yyyy"));
}

QString Global::formatDateTime(const QString &text)
{
    return toDateTime(text).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QSettings *Global::preferences()
{
    if (!settings) {
#ifdef Q_OS_WIN
        settings = new QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\LOMI"),
                                 QSettings::NativeFormat);
#else
        // Opened by the registry path elsewhere, QSettings would create a file
        // of that name in the working directory; use the user's own store.
        settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                 QStringLiteral("LOMI"));
#endif
    }
    return settings;
}

QVariant Global::getPreference(const QString &key, const QVariant &defaultValue)
{
    return preferences()->value(key, defaultValue);
}

void Global::setPreference(const QString &key, const QVariant &value)
{
    preferences()->setValue(key, value);
}

void Global::showPreloader(QWidget *parent)
{
    if (!preloader)
        preloader = new PreloaderWidget(nullptr);
    preloader->setParent(parent);
    preloader->show();
}

void Global::hidePreloader()
{
    if (!preloader) {
        warningAssertionFailed(QStringLiteral("preloader != nullptr"), QStringLiteral("Client/global"),
                               38);
        return;
    }
    preloader->hide();
}

bool Global::isFailureEnvelope(const QJsonDocument &document)
{
    const QJsonObject object = document.object();
    return object.contains(QStringLiteral("Ok")) && !object.value(QStringLiteral("Ok")).toBool();
}

bool Global::commitFile(QSaveFile &file)
{
    // commit() writes out the last buffered bytes without looking at the
    // result, so on a full disk it would put a short file in place of the
    // earlier one.
    if (!file.flush()) {
        file.cancelWriting();
        file.commit();  // takes the temporary file away
        return false;
    }
    return file.commit();
}

QJsonValue Global::traverseJson(const QJsonObject &object, const QString &path)
{
    return traverseJson(object, path.split(QLatin1Char('.')));
}

QJsonValue Global::traverseJson(const QJsonObject &object, const QStringList &parts)
{
    if (parts.isEmpty())
        return QJsonValue(QJsonValue::Null);
    QJsonObject current = object;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QJsonValue value = current.value(parts.at(i));
        if (value.isNull() || value.isUndefined())
            return QJsonValue(QJsonValue::Null);
        current = value.toObject();
    }
    const QJsonValue last = current.value(parts.last());
    return last.isUndefined() ? QJsonValue(QJsonValue::Null) : last;
}

QString Global::toShort(const QString &fullName)
{
    // Printed documents drop the direction controls; taken first, one would
    // stand in for an initial and be dropped with it.
    const QStringList parts = ReportEngine::withoutDirectionControls(fullName).split(QLatin1Char(' '));
    const QString space = QStringLiteral(" ");
    const QString surname = parts.value(0);
    const QString name = parts.size() >= 2 && !parts.at(1).isEmpty() ? parts.at(1) : space;
    const QString patronymic = parts.size() >= 3 && !parts.at(2).isEmpty() ? parts.at(2) : space;
    return name.left(1) + QLatin1Char('.') + patronymic.left(1) + QStringLiteral(". ") + surname;
}

namespace {

const char *const unitsMasculine[] = {"", "один", "два", "три", "четыре",
                                      "пять", "шесть", "семь", "восемь", "девять"};
const char *const unitsFeminine[] = {"", "одна", "две", "три", "четыре",
                                     "пять", "шесть", "семь", "восемь", "девять"};
const char *const teens[] = {"десять", "одиннадцать", "двенадцать", "тринадцать",
                             "четырнадцать", "пятнадцать", "шестнадцать", "семнадцать",
                             "восемнадцать", "девятнадцать"};
const char *const tens[] = {"", "", "двадцать", "тридцать", "сорок",
                            "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};

// The form of a counted noun after `count`: 1 -> one, 2..4 -> few, else many;
// 11..19 always take the "many" form.
QString pluralForm(int count, const char *one, const char *few, const char *many)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 19)
        return QString::fromUtf8(many);
    if (last == 1)
        return QString::fromUtf8(one);
    if (last >= 2 && last <= 4)
        return QString::fromUtf8(few);
    return QString::fromUtf8(many);
}

QString words(int n, bool feminine)
{
    if (n < 10)
        return QString::fromUtf8(feminine ? unitsFeminine[n] : unitsMasculine[n]);
    if (n < 20)
        return QString::fromUtf8(teens[n - 10]);
    if (n < 100) {
        QString result = QString::fromUtf8(tens[n / 10]);
        if (n % 10)
            result += QLatin1Char(' ') + words(n % 10, feminine);
        return result;
    }
    if (n < 1000) {
        const int h = n / 100;
        QString result;
        if (h == 1)
            result = QStringLiteral("сто");
        else
            result = QString::fromUtf8(unitsFeminine[h])
                     + (h == 2 ? QStringLiteral("сти") : h <= 4 ? QStringLiteral("ста")
                                                                : QStringLiteral("сот"));
        if (n % 100)
            result += QLatin1Char(' ') + words(n % 100, feminine);
        return result;
    }
    if (n < 1000000) {
        const int k = n / 1000;
        QString result = words(k, true) + pluralForm(k, " тысяча", " тысячи", " тысяч");
        if (n % 1000)
            result += QLatin1Char(' ') + words(n % 1000, feminine);
        return result;
    }
    const int m = n / 1000000;
    QString result = words(m, false) + pluralForm(m, " миллион", " миллиона", " миллионов");
    if (n % 1000000)
        result += QLatin1Char(' ') + words(n % 1000000, feminine);
    return result;
}

}  // namespace

QString Global::doubleToString(double value, bool feminine)
{
    if (std::isnan(value))
        return QStringLiteral("ОШИБКА ПРЕОБРАЗОВАНИЯ");
    const double whole = std::trunc(value);
    if (whole == 0)
        return QStringLiteral("ноль");
    if (whole < -999999999.0 || whole > 999999999.0)
        return QStringLiteral("ОШИБКА ПРЕОБРАЗОВАНИЯ");
    const int n = static_cast<int>(whole);
    return (n < 0 ? QStringLiteral("минус ") : QString()) + words(std::abs(n), feminine);
}
