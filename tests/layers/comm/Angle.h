#include <sys/types.h>
#include <QString>
#include <workspace/Main.h>
