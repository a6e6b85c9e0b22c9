#include "KitLog.h"

Q_LOGGING_CATEGORY(lcDataKit, "kvdigest.datakit", QtCriticalMsg)
