#include "glm.h"
