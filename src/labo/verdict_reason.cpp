#include "verdict_reason.h"
