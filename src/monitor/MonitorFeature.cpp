#include "monitor/MonitorFeature.h"

#include "monitor/frmStatusTable.h"
#include "monitor/frmTargetBoard.h"

void installMonitor(frmMDIMain& main)
{
    connectTargetBoard(main);
    frmStatusTable::install(main);
}
