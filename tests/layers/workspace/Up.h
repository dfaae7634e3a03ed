#include "monitor/Table.h"
