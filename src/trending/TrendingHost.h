#pragma once

class frmMDIMain;
class frmTrending;

// Gives the main window's trending commands (Tools > Trend Data, the Trend button, File > Print
// Trending Data, the trending popup, Edit > Copy) their procedures, and keeps the one trending view
// as a child window beside the program browser.
void attachTrending(frmMDIMain& main);

// The trending view once it has been made (the first Tools > Trend Data), else nullptr.
frmTrending* trendingView();
