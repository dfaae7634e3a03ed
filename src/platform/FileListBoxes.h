#pragma once
#include <QComboBox>
#include <QListWidget>

// The browser's three lists: drives (mounted volumes), the folders of the current path, and the
// files of a folder that match a pattern. As with the old controls, a new folder path raises Change
// and a new file selection raises Click whether the user or the code made it; a drive set from code
// raises nothing (its owner sets the folder next).

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // Reads the volumes again, keeping the shown drive.
    void refresh();
    QString drive() const;
    void setDrive(const QString& root);
    int listIndex() const { return currentIndex(); }
    void setListIndex(int index);

signals:
    // The user chose another drive.
    void Change();
};

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    QString path() const { return m_path; }
    // Shows `folder`; emits Change when the path is another one.
    void setPath(const QString& folder);
    void refresh();

signals:
    void Change();
    void Click();

private:
    void openEntry(QListWidgetItem* item);
    QString m_path;
};

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString path() const { return m_path; }
    void setPath(const QString& folder);
    // A wildcard pattern matched without regard to case ("*.cvp" lists PUMP.CVP too).
    void setPattern(const QString& pattern);
    void refresh();

    int listIndex() const { return currentRow(); }
    // Selects an entry; raises Click as a user's selection does.
    void setListIndex(int index);
    int listCount() const { return count(); }
    QString listItem(int index) const;
    // The selected file's name, empty when none is selected.
    QString fileName() const;

signals:
    void Click();
    void DblClick();
    void KeyDown(int key);
    void MouseUp(Qt::MouseButton button);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};
