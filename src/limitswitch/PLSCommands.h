#pragma once
// The limit-switch upload and download commands that the main window's menus, popup and toolbar
// run through its procedures (plsUpload, plsDownload, plsUploadOpen, plsDownloadOpen).
#include <QString>

class frmMDIMain;

class PLSCommands {
public:
    explicit PLSCommands(frmMDIMain& main) : m_main(main) {}

    // The upload and download, on gProgramFile.
    void mnuFileListPopupUploadFromPLS_Click();
    void mnuFileListPopupDownloadToPLS_Click();
    // The same after choosing the program in the open dialog.
    void mnuFileUploadFromPLS_Click();
    void mnuFileDownloadToPLS_Click();

private:
    // The main window's steps the commands take.
    void mnuViewOnline_Click();
    bool SelectProgramFile(bool BypassOpen);
    void refreshBrowserAfterTransfer(const QString& program);

    frmMDIMain& m_main;
};
