#include "limitswitch/LimitSwitchFeature.h"

#include "limitswitch/PLSCommands.h"
#include "limitswitch/frmPLSView.h"
#include "limitswitch/frmTiming.h"
#include "limitswitch/modPLS.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"

#include <memory>

void installLimitSwitch(frmMDIMain& main)
{
    // The commands live as long as the procedures that hold them, that is as long as the window.
    auto commands = std::make_shared<PLSCommands>(main);
    auto& p = main.procs;
    p.plsDownload = [commands] { commands->mnuFileListPopupDownloadToPLS_Click(); };
    p.plsUpload = [commands] { commands->mnuFileListPopupUploadFromPLS_Click(); };
    p.plsDownloadOpen = [commands] { commands->mnuFileDownloadToPLS_Click(); };
    p.plsUploadOpen = [commands] { commands->mnuFileUploadFromPLS_Click(); };
    p.showTiming = [] { frmTiming::ShowMe(); };
    registerPLSTransfers();
    frmMain::showPLSFileView = [](const QString& OpenFile) { frmPLSView::ShowMe(OpenFile); };
}
