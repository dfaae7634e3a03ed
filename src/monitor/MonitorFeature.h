#pragma once

class frmMDIMain;

// Hooks the live views of the board into the main window: the target-board interface and the
// status table with its menu, files and printing.
void installMonitor(frmMDIMain& main);
