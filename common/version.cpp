#include "common/version.h"

const char* QjxVersion() { return "0.1.0"; }
