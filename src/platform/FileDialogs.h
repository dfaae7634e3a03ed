#pragma once
#include <QString>
#include <optional>

// The open and save dialogs. Filters are written in the old form
// "Corvane Files(*.cvp)|*.cvp|" (pairs of caption and pattern joined by "|"). Cancel gives nullopt:
// it is never an error, the command just ends.
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1;
    QString initialFolder; // empty: the dialogs' shared start folder
    QString fileName;
    bool fileMustExist = true;
    bool overwritePrompt = true;
    // Save dialog: the extension a name typed without one gets ("tbl"), so that the overwrite
    // question is asked about the file that will be written. Empty: none.
    QString defaultExtension;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;

    QString initialFolder() const { return m_initialFolder; }
    void setInitialFolder(const QString& folder) { m_initialFolder = folder; }

private:
    QString m_initialFolder;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
};

// `path` with "." and `extension` added when its file name has no extension of its own
// ("MYTAB" gives "MYTAB.tbl"; "MY.TAB" stays). The save dialog's own rule, for what it returns.
QString withDefaultExtension(const QString& path, const QString& extension);

// The old filter text as a Qt name filter list ("Corvane Files (*.cvp)").
QString qtNameFilters(const QString& oldFilter);

FileDialogs& fileDialogs();
void setFileDialogs(FileDialogs* dialogs);
