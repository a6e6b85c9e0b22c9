#pragma once

#include <QLoggingCategory>

// The picker's log: failures it passes over by design (a list left closed when the summaries
// cannot be read). Quiet unless a user's QT_LOGGING_RULES (kvdigest.picker.warning=true) asks for
// it.
Q_DECLARE_LOGGING_CATEGORY(lcPicker)
