#include "shell/log.h"

Q_LOGGING_CATEGORY(lcMirebo, "mirebo")
