#pragma once

#include "simpleviewwidget.h"

// The audit log, read only, newest first.
class AuditViewWidget : public SimpleViewWidget
{
    Q_OBJECT

public:
    explicit AuditViewWidget(QWidget *parent = nullptr);
};
