#include "platform/FileListBoxes.h"

#include "platform/Drives.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

// ---------------------------------------------------------------- drives

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::activated, this, [this](int) { emit Change(); });
}

void DriveListBox::refresh()
{
    const QString shown = drive();
    QSignalBlocker block(this);
    clear();
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const DriveEntry& d : driveInfo().drives())
        addItem(icon, d.label, d.root);
    if (!shown.isEmpty())
        setDrive(shown);
}

QString DriveListBox::drive() const { return currentIndex() >= 0 ? currentData().toString() : QString(); }

void DriveListBox::setDrive(const QString& root)
{
    QSignalBlocker block(this);
    int index = findData(root);
    if (index < 0) {
        // A volume mounted since the list was read.
        addItem(QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveListBox::setListIndex(int index)
{
    QSignalBlocker block(this);
    setCurrentIndex(index);
}

// ---------------------------------------------------------------- folders

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { emit Click(); });
}

void DirListBox::setPath(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    const bool changed = clean != m_path;
    m_path = clean;
    refresh();
    if (changed)
        emit Change();
}

void DirListBox::refresh()
{
    QSignalBlocker block(this);
    clear();
    if (m_path.isEmpty())
        return;
    const QIcon open = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The path from the root down, each level indented under its parent, then the subfolders.
    QStringList parts = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    auto add = [this](const QIcon& icon, const QString& text, const QString& full, int level) {
        auto* item = new QListWidgetItem(icon, QString(level * 2, QLatin1Char(' ')) + text, this);
        item->setData(Qt::UserRole, full);
        item->setToolTip(full);
        return item;
    };
    add(open, QStringLiteral("/"), walked, 0);
    int level = 1;
    for (const QString& part : parts) {
        walked = QDir::cleanPath(walked + QLatin1Char('/') + part);
        add(open, part, walked, level++);
    }
    setCurrentRow(count() - 1);
    // A Dirs filter alone still lets through a link to a device (support/ports/COM1 to a serial port),
    // which is neither file nor folder; what the link points at must be a folder. A link to a folder
    // stays: to the user it is one.
    const QFileInfoList subs = QDir(m_path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& sub : subs)
        if (sub.isDir())
            add(closed, sub.fileName(), QDir::cleanPath(m_path + QLatin1Char('/') + sub.fileName()), level);
}

void DirListBox::openEntry(QListWidgetItem* item)
{
    if (item)
        setPath(item->data(Qt::UserRole).toString());
}

// ---------------------------------------------------------------- files

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit Click();
    });
}

void FileListBox::setPath(const QString& folder)
{
    m_path = QDir::cleanPath(QDir(folder).absolutePath());
    refresh();
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileListBox::refresh()
{
    QSignalBlocker block(this);
    clear();
    if (m_path.isEmpty())
        return;
    QDir dir(m_path);
    dir.setNameFilters({m_pattern});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // Name filters on QDir are matched without regard to case by default.
    addItems(dir.entryList());
    setCurrentRow(-1);
}

void FileListBox::setListIndex(int index)
{
    if (index == currentRow()) {
        if (index >= 0)
            emit Click();
        return;
    }
    setCurrentRow(index);
}

QString FileListBox::listItem(int index) const
{
    const QListWidgetItem* i = item(index);
    return i ? i->text() : QString();
}

QString FileListBox::fileName() const { return listItem(currentRow()); }

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key());
    QListWidget::keyPressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    emit MouseUp(event->button());
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && currentRow() >= 0)
        emit DblClick();
}
