#include "Log.h"

Q_LOGGING_CATEGORY(zelkTrace, "zelk.trace", QtInfoMsg)
