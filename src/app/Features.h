#pragma once

class frmMDIMain;

// Installs every feature (the board monitor, trending, limit switches) in a main window that has
// just been made, before its start-up, and enables the commands they provide. The program and the
// tests make their main windows the same way.
void installFeatures(frmMDIMain& main);
