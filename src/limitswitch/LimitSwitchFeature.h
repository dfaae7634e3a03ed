#pragma once

class frmMDIMain;

// Hooks the limit-switch feature into the main window: the upload and download commands, Tools > PLS
// Programming (the timing window), the browser's view of a program's limit-switch files, and the
// wait display's limit-switch transfers.
void installLimitSwitch(frmMDIMain& main);
