// The main window's new-program, copy-program and program-transfer commands: the roads of a
// download and an upload through the program transfer window.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "platform/FileListBoxes.h"
#include "platform/ModalDialogs.h"
#include "platform/Prompts.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmCopyFile.h"
#include "workspace/frmDownloadProg.h"
#include "workspace/frmMain.h"
#include "workspace/frmNewFile.h"
#include "workspace/modUtility.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

void frmMDIMain::connectTransferProcedures()
{
    procs.newProgram = [this] { mnuFileNew_Click(); };
    procs.copyProgram = [this] { mnuFileSaveAs_Click(); };
    procs.downloadProgramToBoard = [this](bool BypassOpen) { DownloadProgramToBoard(BypassOpen); };
    procs.uploadProgram = [this] { mnuFileUploadProgram_Click(); };
    procs.transferDataFile = [this](int Mode, bool BypassOpen) { TransferDataFile(Mode, BypassOpen); };
    procs.downloadDatafile = [this] { mnuFileDownloadFile_Click(); };
}

// The limit-switch commands are the limit-switch feature's; a window without it has them disabled.
namespace {
void runIfSet(const std::function<void()>& procedure)
{
    if (procedure)
        procedure();
}
} // namespace

void frmMDIMain::mnuFileListPopupUploadFromPLS_Click() { runIfSet(procs.plsUpload); }

void frmMDIMain::mnuFileListPopupDownloadToPLS_Click() { runIfSet(procs.plsDownload); }

void frmMDIMain::mnuFileUploadFromPLS_Click() { runIfSet(procs.plsUploadOpen); }

void frmMDIMain::mnuFileDownloadToPLS_Click() { runIfSet(procs.plsDownloadOpen); }

// Shows the new-program dialog in `mode`; true when it created a program.
bool frmMDIMain::showNewFileDialog(int mode)
{
    gNewFileCreated = false;
    frmNewFile dialog(this);
    dialog.SetNewFileMode(mode);
    dialog.Form_Load();
    showModal(dialog);
    return gNewFileCreated;
}

void frmMDIMain::mnuFileNew_Click()
{
    // The dialog has shown the program in the browser as soon as it was written.
    if (showNewFileDialog(0))
        UpdateRecentFile();
}

void frmMDIMain::mnuFileSaveAs_Click()
{
    frmCopyFile dialog(this);
    dialog.Form_Load();
    showModal(dialog);
}

void frmMDIMain::runTransferWindow(int mode)
{
    frmDownloadProg window(this);
    window.SetTransferMode(mode);
    window.Form_Load();
    showModal(window);
}

// The browser reads its folder and file list again after a transfer (which may have written new
// files) and shows the program the user has just worked on: its folder, selected and current.
void frmMDIMain::refreshBrowserAfterTransfer(const QString& program)
{
    if (!m_browser)
        return;
    const QString shown = program.isEmpty() ? GetSelectedFile() : program;
    m_browser->dirDirList->refresh();
    m_browser->RefreshDirList();
    if (QFileInfo(shown).isFile())
        m_browser->RefreshFileList(shown);
}

void frmMDIMain::DownloadProgramToBoard(bool BypassOpen)
{
    if (!gRSComm || !SelectProgramFile(BypassOpen))
        return;
    gRSComm->DownloadFile(gProgramFile);
    if (gRSComm->ValidProgram()) {
        mnuViewOnline_Click();
        if (!gRSComm->CommError) {
            // No tick may read the board while it is being programmed.
            tmrBackgroungUpdate->stop();
            runTransferWindow(0);
        }
    }
    refreshBrowserAfterTransfer(gProgramFile);
    gProgramFile = GetSelectedFile();
    UpdateOnlineStatus();
    tmrBackgroungUpdate->start();
}

void frmMDIMain::mnuFileDownloadProgram_Click() { DownloadProgramToBoard(false); }

void frmMDIMain::mnuFileUploadProgram_Click()
{
    if (!gRSComm)
        return;
    // The upload goes only into the program the dialog has just created, never into the files of
    // whatever program was current before.
    const bool created = showNewFileDialog(1);
    const QString program = gProgramFile;
    if (created && gRSComm->InUploadMode()) {
        const int code = GetTargetboardType(gProgramFile);
        if (isLimitSwitchBoard(code)) {
            procs.plsUpload();
        } else {
            const QString base = fileBaseName(QFileInfo(gProgramFile).fileName());
            const QString text = QStringLiteral("You are about to upload the PLC Program           ") + CRLF +
                                 QStringLiteral("from the ") + gRSComm->TargetboardName(code) + QStringLiteral(".") +
                                 CRLF + CRLF + QStringLiteral("Do you wish to continue?");
            if (msgBox(text, Buttons::YesNoCancel, Icon::Information,
                       QStringLiteral("Program Upload [") + base + QStringLiteral("]")) == Answer::Yes) {
                mnuViewOnline_Click();
                gRSComm->UploadFile(gProgramFile);
                runTransferWindow(1);
            }
        }
        refreshBrowserAfterTransfer(program);
        UpdateOnlineStatus();
        gProgramFile = GetSelectedFile();
    }
    gRSComm->InUploadMode(false);
}
