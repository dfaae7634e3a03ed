#include "app/Features.h"
#include "trending/Across.h"
