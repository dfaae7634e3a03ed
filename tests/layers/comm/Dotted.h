#include "comm/../workspace/Main.h"
