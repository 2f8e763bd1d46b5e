#include "trace.h"

bool g_trace = false;
