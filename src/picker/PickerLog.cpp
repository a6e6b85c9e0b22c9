#include "PickerLog.h"

Q_LOGGING_CATEGORY(lcPicker, "kvdigest.picker", QtCriticalMsg)
