#include "run_record.h"
