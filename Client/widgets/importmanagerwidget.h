#pragma once

#include "legacyimporter.h"

#include <QWidget>

class QCheckBox;

namespace Ui {
class ImportManagerWidget;
}

// The administrator's window for filling the server from a database of the
// older system: the legacy connection, one box per stage, the start/stop
// button, a log and a progress bar. The connection defaults are read from
// the older system's own settings and never written.
class ImportManagerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ImportManagerWidget(QWidget *parent = nullptr);
    ~ImportManagerWidget() override;

    void setupProgressBar(int maximum, const QString &label);
    void addLog(const QString &message);

public slots:
    void startImport();
    // With `cancelled`, asks first and stops a run before its next stage or person.
    void stopImport(bool cancelled = false);
    bool importLegacy();

private:
    void handleButton();
    QCheckBox *checkBoxOf(LegacyImporter::Stage stage) const;

    Ui::ImportManagerWidget *ui;
    bool busy = false;
    // Kept apart from the busy flag: the page is idle only once the run has
    // returned, so a second run can never start over the first one's
    // legacy connection.
    bool running = false;
    bool stopRequested = false;
};
