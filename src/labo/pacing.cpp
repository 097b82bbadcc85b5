#include "pacing.h"
