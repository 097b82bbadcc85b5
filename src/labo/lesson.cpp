#include "lesson.h"
