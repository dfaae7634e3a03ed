// The limit-switch upload and download commands of the main window: confirm with the user, go
// on-line, run the transfer in the wait display and, for the upload, write the program's PCF and
// CHL files.
#include "limitswitch/PLSCommands.h"

#include "comm/RSComm.h"
#include "limitswitch/TimingState.h"
#include "limitswitch/modPLS.h"
#include "platform/Prompts.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QFileInfo>

namespace {
QString programBase() { return fileBaseName(QFileInfo(gProgramFile).fileName()); }

QString programBoardName() { return gRSComm->TargetboardName(GetTargetboardType(gProgramFile)); }
} // namespace

void PLSCommands::mnuViewOnline_Click() { m_main.mnuViewOnline_Click(); }

bool PLSCommands::SelectProgramFile(bool BypassOpen) { return m_main.SelectProgramFile(BypassOpen); }

void PLSCommands::refreshBrowserAfterTransfer(const QString& program) { m_main.refreshBrowserAfterTransfer(program); }

void PLSCommands::mnuFileListPopupUploadFromPLS_Click()
{
    if (!gRSComm)
        return;
    RSComm& comm = *gRSComm;
    const QString title = QStringLiteral("PLS Upload [") + programBase() + QStringLiteral("]");
    const int code = GetTargetboardType(gProgramFile);
    // Mode 6 reads for the timing window's board when the upload is not the menu's own; one
    // family's data must not go into the other family's files.
    if (!comm.InUploadMode() && gTimingWindowShown && isLimitSwitchBoard(code) &&
        isBrakeWearPLS(gTargetboardIndex) != isBrakeWearPLS(code)) {
        msgBox(QStringLiteral("The target board chosen in the PLS Timing window is not of the same kind as the ") +
                   programBoardName() + QStringLiteral(".") + CRLF + CRLF +
                   QStringLiteral("Choose a matching target board there before uploading."),
               Buttons::Ok, Icon::Exclamation, title);
        comm.InUploadMode(false);
        return;
    }
    const QString text = QStringLiteral("You are about to upload the PLS configuration           ") + CRLF +
                         QStringLiteral("and timing channel setpoints from the ") + programBoardName() +
                         QStringLiteral(".") + CRLF + CRLF + QStringLiteral("All data will be saved to file.") + CRLF +
                         CRLF + QStringLiteral("Do you wish to continue?");
    if (msgBox(text, Buttons::YesNoCancel, Icon::Question, title) != Answer::Yes) {
        comm.InUploadMode(false);
        return;
    }
    mnuViewOnline_Click();
    bool read = false;
    if (!comm.CommError && ReadPLSFileData(gProgramFile)) {
        read = true;
        ShowWaitDisplay(6);
    }
    if (!comm.CommError) {
        if (!comm.InUploadMode() && gTimingWindowShown && gTimingDisplayPLSChannels) {
            gTimingDisplayPLSChannels();
            gPLSUploadComplete = true;
        }
        comm.InUploadMode(false);
        // Only an upload that read the board to its end replaces the files; anything else would
        // put an empty CHL file in place of the program's.
        if (read && PLSUploadFinished()) {
            QString error;
            if (!WritePLSFiles(gProgramFile, &error))
                msgBox(errorText(75, QStringLiteral("Path/File access error") + CRLF + error), Buttons::Ok,
                       Icon::Exclamation, title);
        } else {
            msgBox(QStringLiteral("Limit-switch data was not uploaded; the program's files are unchanged."),
                   Buttons::Ok, Icon::Exclamation, QStringLiteral("PLS Upload"));
        }
    }
    comm.InUploadMode(false);
    // The browser shows the uploaded program, with the files it now has.
    refreshBrowserAfterTransfer(gProgramFile);
    UpdateOnlineStatus();
    gProgramFile = GetSelectedFile();
}

void PLSCommands::mnuFileListPopupDownloadToPLS_Click()
{
    if (!gRSComm)
        return;
    RSComm& comm = *gRSComm;
    const QString title = QStringLiteral("PLS Download [") + programBase() + QStringLiteral("]");
    const QString text = QStringLiteral("You are about to download the PLS configuration           ") + CRLF +
                         QStringLiteral("and timing channel setpoints to the ") + programBoardName() +
                         QStringLiteral(".") + CRLF + CRLF + QStringLiteral("Do you wish to continue?");
    if (msgBox(text, Buttons::YesNoCancel, Icon::Question, title) != Answer::Yes)
        return;
    mnuViewOnline_Click();
    if (!comm.CommError)
        ShowWaitDisplay(7);
    // An open timing window shows what the board now holds, read back from it.
    if (!comm.CommError && gTimingWindowShown && gFirstPassOnline) {
        if (ReadPLSFileData(gProgramFile))
            ShowWaitDisplay(6);
        if (!comm.CommError && gTimingDisplayPLSChannels)
            gTimingDisplayPLSChannels();
    }
}

void PLSCommands::mnuFileUploadFromPLS_Click()
{
    if (!gRSComm || !SelectProgramFile(false))
        return;
    gRSComm->InUploadMode(true);
    mnuFileListPopupUploadFromPLS_Click();
}

void PLSCommands::mnuFileDownloadToPLS_Click()
{
    if (SelectProgramFile(false))
        mnuFileListPopupDownloadToPLS_Click();
}
