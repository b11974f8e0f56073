#include "importmanagerwidget.h"

#include "clock.h"
#include "global.h"
#include "messagebox.h"
#include "ui_importmanagerwidget.h"

#include <QScrollBar>
#include <QSettings>
#include <QTextBrowser>
#include <QTextCursor>

#include <memory>

namespace {

// The older system's settings: the same registry key on Windows, the
// per-user store of that name elsewhere.
std::unique_ptr<QSettings> legacySettings()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\DodoRuziz"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("DodoRuziz"));
#endif
}

}  // namespace

ImportManagerWidget::ImportManagerWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ImportManagerWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Помощник импорта"));
    setAttribute(Qt::WA_X11NetWmWindowTypeDialog, true);
    connect(ui->importPushButton, &QPushButton::clicked, this, &ImportManagerWidget::handleButton);

    const std::unique_ptr<QSettings> settings = legacySettings();
    ui->addressLineEdit->setText(settings->value("address", "192.168.0.10").toString());
    ui->databaseLineEdit->setText(settings->value("database", "something").toString());
    ui->userLineEdit->setText(settings->value("user", "postgres").toString());
    ui->passwordLineEdit->setText(settings->value("password", "40718").toString());
}

ImportManagerWidget::~ImportManagerWidget()
{
    delete ui;
}

void ImportManagerWidget::handleButton()
{
    if (busy)
        stopImport(true);
    else
        startImport();
}

void ImportManagerWidget::startImport()
{
    if (running)
        return;
    if (!Global::confirm(QStringLiteral("Все данные в текущей БД будут удалены.")))
        return;
    busy = true;
    running = true;
    stopRequested = false;
    ui->tabWidget->setEnabled(false);
    ui->importPushButton->setText(QStringLiteral("Стоп"));
    ui->importProgressBar->setValue(0);
    ui->logsTextBrowser->clear();

    bool success = false;
    if (ui->tabWidget->currentWidget() == ui->legacyImportSettings)
        success = importLegacy();
    running = false;

    if (success)
        MessageBox::information(this, QStringLiteral("Успех"),
                                QStringLiteral("Импорт завершен без ошибок."), QMessageBox::Ok);
    else if (stopRequested)
        MessageBox::warning(this, QStringLiteral("Внимание"), QStringLiteral("Импорт прерван."),
                            QMessageBox::Ok);
    else
        MessageBox::warning(this, QStringLiteral("Внимание"),
                            QStringLiteral("Во время импорта возникли ошибки. Результат неопределен."),
                            QMessageBox::Ok);
    stopImport(false);
}

void ImportManagerWidget::stopImport(bool cancelled)
{
    if (cancelled) {
        if (stopRequested
            || !Global::confirm(
                QStringLiteral("Отменить импорт? БД может остаться в неопределенном состоянии.")))
            return;
        // The run ends before its next stage or person, which may be a while
        // when a request is waiting: the page says at once that it is stopping.
        // The run's end says it has stopped and resets the page.
        if (running) {
            stopRequested = true;
            ui->importPushButton->setEnabled(false);
            ui->importPushButton->setText(QStringLiteral("Остановка..."));
            addLog(QStringLiteral("-- Импорт будет прерван после текущего этапа или физ. лица."));
            return;
        }
        MessageBox::warning(this, QStringLiteral("Внимание"), QStringLiteral("Импорт прерван."),
                            QMessageBox::Ok);
    }
    busy = false;
    ui->tabWidget->setEnabled(true);
    ui->importPushButton->setEnabled(true);
    ui->importPushButton->setText(QStringLiteral("Импорт"));
}

bool ImportManagerWidget::importLegacy()
{
    LegacyImporter::Page page;
    page.address = ui->addressLineEdit->text();
    page.database = ui->databaseLineEdit->text();
    page.user = ui->userLineEdit->text();
    page.password = ui->passwordLineEdit->text();
    page.isChecked = [this](LegacyImporter::Stage stage) { return checkBoxOf(stage)->isChecked(); };
    page.log = [this](const QString &message) { addLog(message); };
    page.setupProgress = [this](int maximum, const QString &label) {
        setupProgressBar(maximum, label);
    };
    page.setProgress = [this](int value) { ui->importProgressBar->setValue(value); };
    page.stopRequested = [this] { return stopRequested; };
    page.boxParent = this;
    return LegacyImporter::run(page);
}

void ImportManagerWidget::setupProgressBar(int maximum, const QString &label)
{
    ui->importProgressBar->setValue(0);
    ui->importProgressBar->setMaximum(maximum);
    ui->importProgressBar->setFormat(QStringLiteral("Импорт %1: %v/%m").arg(label));
}

void ImportManagerWidget::addLog(const QString &message)
{
    // A line carries legacy names and the server's messages, which append()
    // would take for markup when they look like it: inserted as plain text,
    // and the view follows the new line as append() has it do.
    QTextBrowser *log = ui->logsTextBrowser;
    QScrollBar *bar = log->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    QTextCursor cursor(log->document());
    cursor.movePosition(QTextCursor::End);
    if (!log->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(
        QStringLiteral("[%1] %2").arg(Clock::now().toString(QStringLiteral("HH:mm:ss")), message));
    if (atBottom)
        bar->setValue(bar->maximum());
}

QCheckBox *ImportManagerWidget::checkBoxOf(LegacyImporter::Stage stage) const
{
    using S = LegacyImporter::Stage;
    switch (stage) {
    case S::Districts: return ui->districtsCheckBox;
    case S::Regions: return ui->regionsCheckBox;
    case S::Positions: return ui->positionsCheckBox;
    case S::Organizations: return ui->organizationsCheckBox;
    case S::Curriculums: return ui->curriculumsCheckBox;
    case S::Streams: return ui->streamsCheckBox;
    case S::Rates: return ui->ratesCheckBox;
    case S::Rooms: return ui->roomsCheckBox;
    case S::PayTypes: return ui->payTypesCheckBox;
    case S::Property: return ui->propertyCheckBox;
    case S::ExtraServices: return ui->extraServicesCheckBox;
    case S::Users: return ui->usersCheckBox;
    case S::Globals: return ui->globalsCheckBox;
    case S::Persons: return ui->personsCheckBox;
    }
    return ui->personsCheckBox;
}
