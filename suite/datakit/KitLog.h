#pragma once

#include <QLoggingCategory>

// The kit's log: failures it swallows by design and the server's notices. Quiet unless a user's
// QT_LOGGING_RULES (kvdigest.datakit.warning=true) asks for it.
Q_DECLARE_LOGGING_CATEGORY(lcDataKit)
