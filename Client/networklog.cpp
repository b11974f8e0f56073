#include "networklog.h"

Q_LOGGING_CATEGORY(lomiNetwork, "lomi.network", QtInfoMsg)
