#include "app/Features.h"

#include "limitswitch/LimitSwitchFeature.h"
#include "monitor/MonitorFeature.h"
#include "trending/TrendingHost.h"
#include "workspace/frmMDIMain.h"

void installFeatures(frmMDIMain& main)
{
    installMonitor(main);
    attachTrending(main);
    installLimitSwitch(main);
    main.refreshCommandStates();
}
