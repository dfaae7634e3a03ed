#include "platform/GridView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>

namespace {
Qt::Alignment alignmentOf(GridModel::Align a, bool numeric)
{
    switch (a) {
    case GridModel::Align::Left:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case GridModel::Align::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case GridModel::Align::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case GridModel::Align::General:
        break;
    }
    // The old grid's general alignment: numbers to the right, words to the left.
    return (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// The character code the old control's KeyPress event would have carried, or -1 for a key that
// makes no character (arrows, Delete, Insert, function keys).
int asciiOf(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    default:
        break;
    }
    if ((e->modifiers() & Qt::ControlModifier) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
        return e->key() - Qt::Key_A + 1;
    const QString t = e->text();
    if (t.size() == 1) {
        const ushort u = t.front().unicode();
        if (u >= 32 && u != 127 && u < 256)
            return u;
    }
    return -1;
}

// The view a widget belongs to: its child view inside the main window, or its own window.
const QWidget* viewOf(const QWidget* w)
{
    while (w && !w->isWindow() && !qobject_cast<const QMdiSubWindow*>(w))
        w = w->parentWidget();
    return w;
}
} // namespace

// ---- adapter ---------------------------------------------------------------------------------

GridTableAdapter::GridTableAdapter(GridModel* grid, QObject* parent) : QAbstractTableModel(parent), m_grid(grid)
{
    connect(grid, &GridModel::cellsChanged, this, &GridTableAdapter::onCellsChanged);
    connect(grid, &GridModel::rowsAboutToBeInserted, this, [this](int at, int count) {
        const int f = m_grid->fixedRows();
        if (m_held) {
            // Rows that move under the view change their cells' texts even when the count ends up
            // as it was.
            m_fixedRowsMoved = m_fixedRowsMoved || at < f;
            m_cellsChanged = true;
            return;
        }
        m_rowsChanging = true;
        if (at < f)
            beginResetModel();
        else
            beginInsertRows({}, at - f, at - f + count - 1);
    });
    connect(grid, &GridModel::rowsInserted, this, [this](int at, int) {
        if (m_held)
            return;
        if (at < m_grid->fixedRows())
            endResetModel();
        else
            endInsertRows();
        m_rowsChanging = false;
    });
    connect(grid, &GridModel::rowsAboutToBeRemoved, this, [this](int at, int count) {
        const int f = m_grid->fixedRows();
        if (m_held) {
            // Rows that move under the view change their cells' texts even when the count ends up
            // as it was.
            m_fixedRowsMoved = m_fixedRowsMoved || at < f;
            m_cellsChanged = true;
            return;
        }
        m_rowsChanging = true;
        if (at < f)
            beginResetModel();
        else
            beginRemoveRows({}, at - f, at - f + count - 1);
    });
    connect(grid, &GridModel::rowsRemoved, this, [this](int at, int) {
        if (m_held)
            return;
        // Removing rows never moves the fixed rows' count, so the same test pairs the calls.
        if (at < m_grid->fixedRows())
            endResetModel();
        else
            endRemoveRows();
        m_rowsChanging = false;
    });
    connect(grid, &GridModel::aboutToReshape, this, [this] { beginResetModel(); });
    connect(grid, &GridModel::reshaped, this, [this] {
        // A held view learns the new shape with every row the grid has now.
        m_knownRows = gridRows();
        m_fixedRowsMoved = false;
        endResetModel();
    });
    connect(grid, &GridModel::columnFormatChanged, this, [this](int col) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        if (rowCount() > 0)
            emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
    });
}

int GridTableAdapter::gridRows() const { return std::max(0, m_grid->rows() - m_grid->fixedRows()); }

void GridTableAdapter::hold()
{
    if (m_held)
        return;
    m_knownRows = gridRows();
    m_cellsChanged = m_headingsChanged = m_fixedRowsMoved = false;
    m_held = true;
}

void GridTableAdapter::release()
{
    if (!m_held)
        return;
    if (m_fixedRowsMoved) {
        // Rows went in or out above the scrollable ones: the view starts afresh, as it would have.
        m_rowsChanging = true;
        beginResetModel();
        m_held = false;
        endResetModel();
        m_rowsChanging = false;
        return;
    }
    // The rows the view lacks are added at the end (or the surplus taken off the end), so that the
    // view's current index stays on the row index the grid kept; every cell is shown again below.
    const int known = m_knownRows;
    const int now = gridRows();
    m_rowsChanging = true;
    if (now > known)
        beginInsertRows({}, known, now - 1);
    else if (now < known)
        beginRemoveRows({}, now, known - 1);
    m_held = false;
    if (now > known)
        endInsertRows();
    else if (now < known)
        endRemoveRows();
    m_rowsChanging = false;
    if (m_headingsChanged && m_grid->cols() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_grid->cols() - 1);
    if (m_cellsChanged && now > 0 && m_grid->cols() > 0)
        emit dataChanged(index(0, 0), index(now - 1, m_grid->cols() - 1), {Qt::DisplayRole});
}

void GridTableAdapter::onCellsChanged(int top, int left, int bottom, int right)
{
    const int f = m_grid->fixedRows();
    if (m_held) {
        m_headingsChanged = m_headingsChanged || top < f;
        m_cellsChanged = m_cellsChanged || bottom >= f;
        return;
    }
    if (top < f)
        emit headerDataChanged(Qt::Horizontal, left, right);
    top = std::max(top, f);
    if (bottom >= top)
        emit dataChanged(index(top - f, left), index(bottom - f, right), {Qt::DisplayRole});
}

int GridTableAdapter::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_held ? m_knownRows : gridRows();
}

int GridTableAdapter::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid->cols();
}

QVariant GridTableAdapter::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + m_grid->fixedRows();
    switch (role) {
    case Qt::DisplayRole:
        return m_grid->textMatrix(row, index.column());
    case Qt::TextAlignmentRole: {
        const GridModel::Align a = m_grid->colAlignment(index.column());
        bool numeric = false;
        if (a == GridModel::Align::General)
            m_grid->textMatrix(row, index.column()).toDouble(&numeric);
        return QVariant::fromValue(alignmentOf(a, numeric));
    }
    default:
        return {};
    }
}

QVariant GridTableAdapter::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        QStringList lines;
        for (int r = 0; r < m_grid->fixedRows(); ++r)
            lines << m_grid->textMatrix(r, section);
        return lines.join(QLatin1Char('\n'));
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(m_grid->colAlignment(section), false));
    return {};
}

Qt::ItemFlags GridTableAdapter::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() < m_grid->fixedCols())
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- view ------------------------------------------------------------------------------------

GridView::GridView(GridModel* grid, QWidget* parent)
    : QTableView(parent), m_grid(grid), m_adapter(new GridTableAdapter(grid, this))
{
    setModel(m_adapter);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_syncing)
            m_grid->setTopRow(v + m_grid->fixedRows());
    });
    connect(grid, &GridModel::selectionChanged, this, [this] {
        if (m_adapter->held())
            m_syncHeld = true;
        else if (!m_syncing)
            showModelSelection();
    });
    connect(grid, &GridModel::topRowChanged, this, [this] {
        if (m_adapter->held())
            m_syncHeld = true;
        else if (!m_syncing)
            showModelTopRow();
    });
    connect(grid, &GridModel::reshaped, this, [this] {
        applyColumnFormat();
        showModelSelection();
    });
    connect(grid, &GridModel::columnFormatChanged, this, [this] { applyColumnFormat(); });
    connect(grid, &GridModel::rowHeightChanged, this, [this] { applyRowHeight(); });
    connect(grid, &GridModel::rowsInserted, this, [this] { rowsMoved(); });
    connect(grid, &GridModel::rowsRemoved, this, [this] { rowsMoved(); });
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
    applyColumnFormat();
    applyRowHeight();
    showModelSelection();
}

// A focused grid gives up the focus in the widget's own destructor, after this one.
GridView::~GridView() { disconnect(m_focusWatch); }

void GridView::rowsMoved()
{
    if (m_adapter->held())
        m_syncHeld = true;
    else
        showModelSelection();
}

void GridView::holdChanges() { m_adapter->hold(); }

void GridView::showHeldChanges()
{
    if (!m_adapter->held())
        return;
    m_adapter->release();
    if (m_syncHeld) {
        // The view shows the grid's selection and the grid's top row as they are now: showing the
        // selection may scroll the view, and the grid's top row must not follow that scroll.
        m_syncHeld = false;
        const int top = m_grid->topRow();
        showModelSelection();
        m_grid->setTopRow(top);
        showModelTopRow();
    }
}

int GridView::toPixels(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

int GridView::toTwips(int pixels) const
{
    return qRound(pixels * 1440.0 / std::max(1, logicalDpiX()));
}

void GridView::applyColumnFormat()
{
    horizontalHeader()->setVisible(m_grid->fixedRows() > 0);
    for (int c = 0; c < m_grid->cols(); ++c) {
        const int w = m_grid->colWidth(c);
        setColumnHidden(c, w == 0);
        if (w > 0)
            setColumnWidth(c, toPixels(w));
    }
}

void GridView::applyRowHeight()
{
    const int px = std::max(toPixels(m_grid->rowHeight()), fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(px);
    updateVisibleRows();
}

void GridView::updateVisibleRows()
{
    const int h = std::max(1, verticalHeader()->defaultSectionSize());
    const int H = viewport()->height();
    m_grid->setVisibleRows(H / h, H % h != 0);
}

void GridView::showModelSelection()
{
    const int f = m_grid->fixedRows();
    QItemSelectionModel* sm = selectionModel();
    if (!sm)
        return;
    m_syncing = true;
    const QModelIndex far = m_adapter->index(m_grid->rowSel() - f, m_grid->colSel());
    const QModelIndex anchor = m_adapter->index(m_grid->row() - f, m_grid->col());
    if (far.isValid() && anchor.isValid()) {
        sm->setCurrentIndex(far, QItemSelectionModel::NoUpdate);
        sm->select(QItemSelection(anchor, far), QItemSelectionModel::ClearAndSelect);
    } else {
        sm->clearSelection();
    }
    m_syncing = false;
    // Moving the current cell may have scrolled the view.
    m_grid->setTopRow(verticalScrollBar()->value() + f);
}

void GridView::showModelTopRow()
{
    m_syncing = true;
    updateGeometries();
    verticalScrollBar()->setValue(m_grid->topRow() - m_grid->fixedRows());
    m_syncing = false;
}

void GridView::takeViewSelection()
{
    const QModelIndex cur = currentIndex();
    if (!cur.isValid())
        return;
    int top = cur.row(), bottom = cur.row(), left = cur.column(), right = cur.column();
    const QItemSelection sel = selectionModel()->selection();
    for (const QItemSelectionRange& r : sel) {
        if (r.contains(cur)) {
            top = r.top();
            bottom = r.bottom();
            left = r.left();
            right = r.right();
            break;
        }
    }
    // The view's current index is the moving end of a selection; the grid's current cell is the
    // corner it started from.
    const int anchorRow = cur.row() == top ? bottom : top;
    const int anchorCol = cur.column() == left ? right : left;
    const int f = m_grid->fixedRows();
    m_syncing = true;
    m_grid->select(anchorRow + f, anchorCol, cur.row() + f, cur.column());
    m_syncing = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_syncing && m_inInput == 0 && !m_adapter->rowsChanging())
        takeViewSelection();
}

void GridView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    if (!m_syncing && m_inInput == 0 && !m_adapter->rowsChanging())
        takeViewSelection();
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
    const int ascii = asciiOf(event);
    if (ascii >= 0) {
        emit keyPress(ascii);
        event->accept();
        return;
    }
    if (isNavigationKey(event->key())) {
        ++m_inInput;
        QTableView::keyPressEvent(event);
        --m_inInput;
        takeViewSelection();
        return;
    }
    event->ignore();
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    // The right button opens menus; it leaves the current cell where it is, as the old grid did.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    ++m_inInput;
    QTableView::mousePressEvent(event);
    --m_inInput;
    takeViewSelection();
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    ++m_inInput;
    QTableView::mouseMoveEvent(event);
    --m_inInput;
    takeViewSelection();
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        ++m_inInput;
        QTableView::mouseReleaseEvent(event);
        --m_inInput;
        takeViewSelection();
    }
    const bool onCell = indexAt(event->position().toPoint()).isValid();
    emit mouseUp(event->button(), event->globalPosition().toPoint());
    if (event->button() == Qt::LeftButton && onCell)
        emit gridClicked();
}

void GridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    updateVisibleRows();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    updateVisibleRows();
}

void GridView::focusMoved(QWidget* now)
{
    // The focus going to another view, to a popup or out of the program leaves the grid the
    // control its view gives the focus back to; the view's own frame takes it only on the way.
    const QWidget* view = viewOf(this);
    if (now && now != this && now != view && viewOf(now) == view)
        m_holdsViewFocus = false;
}

void GridView::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    const bool givenBack =
        m_holdsViewFocus || reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
    // The right button opens the popup on what the grid shows: the focus that its press brings
    // moves nothing, as the press itself does not.
    const bool forPopup =
        reason == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & ~Qt::LeftButton) != 0;
    m_holdsViewFocus = true;
    if (!givenBack && !forPopup)
        emit gotFocus();
}
