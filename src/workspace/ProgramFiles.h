#pragma once
// The program file set: every file in the Corvane file's folder with the program's base name,
// compared without regard to case, whatever its extension. The kinds are told by extension.
#include <QList>
#include <QString>
#include <QStringList>

// The name of a file without its last extension ("PUMP" of "PUMP.LMN", "PUMP" of "PUMP").
QString fileBaseName(const QString& fileName);
// The last extension without its dot, empty when there is none.
QString fileExtension(const QString& fileName);

// True when `base` can name a program: not blank, and without a path separator, ":" or a wildcard,
// which would name another folder or several files.
bool isValidProgramBase(const QString& base);
// The box text that refuses `typed` as a program's name.
QString invalidProgramName(const QString& typed);

// What the tools are given for a program: the short path of its folder and its base name, with
// one separator between them also in the file system's root ("/PUMP").
QString programStem(const QString& programFile);

// Names (not paths) of every file of `folder` whose base name is `base`, case ignored, sorted.
QStringList programSetFiles(const QString& folder, const QString& base);

// Families by board type code, for the tools.
enum class BoardFamily { ControllerA, ControllerB, LimitSwitch, Unsupported };
BoardFamily boardFamilyOf(int code);

// One child node of the program tree.
struct ProgramTreeNode {
    QString key;  // the extension in upper case
    QString text; // the caption, e.g. "TITLE (.LTL)"
};

// The caption of a companion file's node, empty for an extension that gets no node.
QString programNodeCaption(const QString& extension);
// The child nodes of a program's tree, sorted by text.
QList<ProgramTreeNode> programTreeNodes(const QString& folder, const QString& base);

// Deletes every file of the set except read-only ones; returns the names that could not be
// deleted (with reasons in *errors). Files that can be deleted are deleted even when another fails.
QStringList deleteProgramSet(const QString& folder, const QString& base, QString* error);
// The same for a program about to be replaced: when one of its files is read-only nothing is
// deleted, so a refused replacement leaves the old program whole.
QStringList deleteProgramSetForReplace(const QString& folder, const QString& base, QString* error);

// Renames every file of the set from `oldBase` to `newBase` in its folder, keeping each extension.
// All or nothing: when one file fails, the files already renamed get their old names back and
// false is returned with the reason in *error.
bool renameProgramSet(const QString& folder, const QString& oldBase, const QString& newBase, QString* error);
