#pragma once
// The module of shared state: the references to the shared objects and the values that windows
// hand to each other. Every window reads and writes these directly.
#include <QString>
#include <QStringList>
#include <functional>

class CommPort;
class RSComm;
class QWidget;
class QLineEdit;
class frmMDIMain;

inline CommPort* gCommObj = nullptr;   // the main window's serial-port control
inline RSComm* gRSComm = nullptr;      // the one communication object
inline frmMDIMain* gMDIMain = nullptr; // the main window, while it exists
inline QString gFolder;                // scratch folder (start-up: the current folder)
inline QString gFile;                  // scratch file
inline QString gDrive;                 // scratch drive root (start-up: the current folder's drive)
inline int gWaitDisplayMode = 0;
inline int gActiveChild = 0; // 0 program browser, 1 status table, 2 results viewer, 3 trending
inline QString gProgramFile;
inline QString gVarDocStem; // the chosen program's path without extension, for the documentation viewer
inline bool gNewFileCreated = false;
inline QString gStatusTableName;
inline bool gViewNicNames = false;
inline bool gViewDescriptions = false;
inline QStringList gStatusTableList;
inline int gDataXferMode = 0;
inline int gDataXferBoardType = 0;
inline QString gDataXferFile;
inline int gDataXferFrom = 0;
inline int gDataXferTo = 0;
inline QString gSearchResults;
inline QString gResultsText;

// Board type code of a program whose Corvane file is missing or empty.
inline constexpr int kDefaultBoardType = 68;

void CenterForm(QWidget* form);
void SelectAllText(QLineEdit* box);
// Runs the long operation `Mode` modally in the wait display (frmWaitDisplay.h); returns when it
// is over. A mode whose operation has not been set does nothing.
void ShowWaitDisplay(int Mode);
// A Corvane file that exists but cannot be read gives the missing file's code too; a caller that
// must not take it for a board passes readError, which then holds the reason.
int GetTargetboardType(const QString& FileName, QString* readError = nullptr);
QString ChangeFileExt(const QString& FileName, const QString& Ext);
QString GetSelectedFile();
QString PadZeros(int Value, int Digits);
QString Dec2Binary(long Value, int TwoBytes);
void UpdateOnlineStatus();
// The board table (names, configuration indexes): the one communication object's, or a table of
// its own while there is none.
const RSComm& boardTables();

// Where the program browser plugs in, so that these helpers need not know it: it gives its folder
// and selected file. Unset until the browser exists.
inline std::function<QString()> gBrowserFolder;
inline std::function<QString()> gBrowserSelectedFile;
