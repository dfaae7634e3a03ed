#include "Beside.h"
#include "workspace/Main.h"
#include "comm/Link.h"
