#pragma once
#include "platform/GridModel.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

// Shows a GridModel's scrollable rows to a QTableView. The fixed rows become the column headings
// (one heading line per fixed row), so they stay in place while the rows scroll; fixed columns
// show but cannot be selected. Cells are never edited in place: the windows edit the texts
// through the model, as the old grid's key events did.
class GridTableAdapter : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTableAdapter(GridModel* grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    GridModel* grid() const { return m_grid; }
    // True while rows are being inserted or removed: the view then moves its current index by
    // itself (off a removed row), and the grid, which keeps its own, must not take that move.
    bool rowsChanging() const { return m_rowsChanging; }

    // While held, the view keeps the rows it knows (showing their texts as they are now) and
    // hears of no row or cell change; release() then tells it, in one step, of the rows added or
    // removed at the end and of the cells and headings that changed. A change of the columns or
    // the fixed rows still reaches the view at once.
    void hold();
    void release();
    bool held() const { return m_held; }

private:
    int gridRows() const;
    void onCellsChanged(int top, int left, int bottom, int right);
    GridModel* m_grid;
    bool m_rowsChanging = false;
    bool m_held = false;
    // While held: the rows the view knows, and what changed since.
    int m_knownRows = 0;
    bool m_cellsChanged = false;
    bool m_headingsChanged = false;
    bool m_fixedRowsMoved = false;
};

// The grid control on screen. The model's current cell and selection follow the user's clicks,
// drags and arrow keys, and the view follows the model's when a window moves them; TopRow follows
// the scroll bar both ways, and the model learns from the viewport how many rows are shown.
// Keys reach the window first as the old control's KeyDown (every key) and KeyPress (character
// keys, Enter, Esc, Backspace, Ctrl+letter) events; only navigation keys move the cell.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(GridModel* grid, QWidget* parent = nullptr);
    ~GridView() override;

    GridModel* grid() const { return m_grid; }
    // Pixels of `twips` on this screen, and back.
    int toPixels(int twips) const;
    int toTwips(int pixels) const;

    // Holds back the grid's changes from the screen while they come faster than it can show
    // them; showHeldChanges() shows all of them at once, with the grid's selection and top row.
    void holdChanges();
    void showHeldChanges();

signals:
    // Every key, before anything else happens with it.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // A character: its code (13 Enter, 27 Esc, 8 Backspace, 3 Ctrl+C, ...).
    void keyPress(int ascii);
    // A left click released on a cell, after the current cell moved there.
    void gridClicked();
    void mouseUp(Qt::MouseButton button, const QPoint& globalPos);
    // The grid took the focus from another control of its view (a left click, Tab, the window's
    // code), or had it never yet. The focus that comes back to the grid when its popup menu
    // closes, or when its view or the program's window is activated again, is the focus it
    // already had; the focus that a right click brings with the popup moves nothing either.
    void gotFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void applyColumnFormat();
    void applyRowHeight();
    void rowsMoved();
    void updateVisibleRows();
    void showModelSelection();
    void showModelTopRow();
    void takeViewSelection();
    void focusMoved(QWidget* now);

    GridModel* m_grid;
    GridTableAdapter* m_adapter;
    bool m_syncing = false;
    // The grid moved its selection or top row while the changes were held.
    bool m_syncHeld = false;
    // Inside a mouse or key handler the view moves its current index and its selection one after
    // the other; the grid takes both at once when the handler is done.
    int m_inInput = 0;
    // The grid is the control of its view that has, or will get back, the view's focus.
    bool m_holdsViewFocus = false;
    QMetaObject::Connection m_focusWatch;
};
