// The main window's board-data and datafile commands: they choose what to move and hand the
// transfer to the range dialog or straight to the wait display.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "platform/FileDialogs.h"
#include "platform/FileLookup.h"
#include "platform/ModalDialogs.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/DataTransfer.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmDataXfr.h"
#include "workspace/frmWaitDisplay.h"
#include "workspace/modUtility.h"

#include <QFileInfo>
#include <QTimer>

void frmMDIMain::TransferDataFile(int Mode, bool BypassOpen)
{
    if (!gRSComm || !SelectProgramFile(BypassOpen))
        return;
    const int code = GetTargetboardType(gProgramFile);
    tmrBackgroungUpdate->stop();
    if (isLimitSwitchBoard(code)) {
        // A limit switch's data is its set-up, moved by the limit-switch transfers.
        const auto& transfer = Mode == 1 ? procs.plsDownload : procs.plsUpload;
        if (transfer)
            transfer();
        else
            msgBox(QStringLiteral("Transfers with a PLS target board are not available."), Buttons::Ok,
                   Icon::Information, Mode == 1 ? QStringLiteral("Data Download") : QStringLiteral("Data Upload"));
    } else {
        const QString base = fileBaseName(QFileInfo(gProgramFile).fileName());
        const QString model = gRSComm->TargetboardName(code);
        const QString text =
            Mode == 1 ? QStringLiteral("You are about to download data to the ") + model + QStringLiteral(".      ") +
                            CRLF + CRLF + QStringLiteral("File data will be written to memory.") + CRLF + CRLF +
                            QStringLiteral("Do you wish to continue?")
                      : QStringLiteral("You are about to upload data from the ") + model + QStringLiteral(".      ") +
                            CRLF + CRLF + QStringLiteral("File data will be saved from memory.") + CRLF + CRLF +
                            QStringLiteral("Do you wish to continue?");
        const QString title = (Mode == 1 ? QStringLiteral("Data Download [") : QStringLiteral("Data Upload [")) + base +
                              QStringLiteral("]");
        if (msgBox(text, Buttons::YesNoCancel, Icon::Information, title) == Answer::Yes) {
            mnuViewOnline_Click();
            if (!gRSComm->CommError) {
                gDataXferBoardType = code;
                gDataXferMode = Mode;
                gDataXferFile = findCaseInsensitive(ChangeFileExt(gProgramFile, QStringLiteral("ldt")));
                frmDataXfr dialog(this);
                dialog.Form_Load();
                showModal(dialog);
            }
        }
    }
    refreshBrowserAfterTransfer();
    gProgramFile = GetSelectedFile();
    UpdateOnlineStatus();
    tmrBackgroungUpdate->start();
}

void frmMDIMain::mnuFileDownloadData_Click() { TransferDataFile(1, false); }

void frmMDIMain::mnuFileUploadData_Click() { TransferDataFile(2, false); }

void frmMDIMain::mnuFileDownloadFile_Click()
{
    if (!gRSComm)
        return;
    FileDialogRequest request;
    request.filter = QStringLiteral("Text Files(*.txt)|*.txt|");
    request.filterIndex = 1;
    request.fileMustExist = true;
    if (QFileInfo(LastDatafile).isFile()) {
        request.fileName = LastDatafile;
        request.initialFolder = QFileInfo(LastDatafile).absolutePath();
    } else if (!gProgramFile.isEmpty()) {
        request.initialFolder = QFileInfo(gProgramFile).absolutePath();
    }
    const auto chosen = fileDialogs().openFile(request);
    if (!chosen || !QFileInfo(*chosen).isFile())
        return;
    LastDatafile = *chosen;
    QString error;
    const auto data = readWholeFile(*chosen, &error);
    if (!data) {
        msgBox(errorText(53, error), Buttons::Ok, Icon::Critical, QStringLiteral("TransferData"));
        return;
    }
    gDataXferMode = 3;
    gDataXferFile = *chosen;
    gDataXferFrom = 0;
    gDataXferTo = static_cast<int>(datafileItems(*data).size());
    const QString start =
        prompts()
            .input(QStringLiteral("Please Enter Starting Address."), QStringLiteral("Datafile Download"), QString())
            .value_or(QString())
            .toUpper();
    if (start.size() <= 2)
        return;
    if (!gRSComm->OnlineMode)
        mnuViewOnline_Click();
    frmWaitDisplay::SetupFileDownload(start);
    ShowWaitDisplay(4);
}
