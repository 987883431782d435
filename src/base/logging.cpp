// The logging categories of the program's layers.
#include "base/logging.h"

namespace tavrin {

Q_LOGGING_CATEGORY(lcBase, "tavrin.base", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "tavrin.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConfig, "tavrin.config", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNews, "tavrin.news", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNet, "tavrin.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEngine, "tavrin.engine", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCompose, "tavrin.compose", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "tavrin.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAlerts, "tavrin.alerts", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "tavrin.shell", QtWarningMsg)

} // namespace tavrin
