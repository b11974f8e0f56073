#include "form2act.h"

Form2Act::Form2Act(QObject *parent)
    : Form1Act(parent)
{
}

void Form2Act::build(ReportEngine::Report &report, QMap<QString, QVariant>)
{
    buildFromTemplate(report, QStringLiteral(":/reports/Form2Act.xml"));
}
