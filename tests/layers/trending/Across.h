#include "platform/Grid.h"
#include "limitswitch/Record.h"
