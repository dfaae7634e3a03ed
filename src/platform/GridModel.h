#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// The flex grid that every table view of the system works on, without a display: rows and
// columns of texts, fixed (heading) rows and columns, a current cell with a selection, the top
// visible row and how many rows the view shows, row insertion and removal, and the clip text of a
// selection. Windows drive and read it exactly as they would the old grid control; GridView shows
// it. A table reaches 32767 rows, so a row is one list of texts (an empty row allocates nothing)
// and every operation on many rows is one step with one notification.
//
// Indexes count from 0 and include the fixed rows and columns, as the old control's did. The
// current cell (row(), col()) is the anchor of the selection; rowSel()/colSel() its other corner,
// which may lie above or left of the anchor: selTop() and the others give the bounds.
class GridModel : public QObject {
    Q_OBJECT
public:
    enum class Align { General, Left, Center, Right };

    // Widths and heights are in twips, as the windows compute them; the view converts.
    static constexpr int kDefaultColWidth = 960;
    static constexpr int kDefaultRowHeight = 240;

    explicit GridModel(QObject* parent = nullptr);

    // --- shape -------------------------------------------------------------------------------
    int rows() const { return static_cast<int>(m_rows.size()); }
    // Grows or shrinks at the end; texts of the remaining rows stay.
    void setRows(int n);
    int cols() const { return m_cols; }
    void setCols(int n);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int n);

    // --- texts -------------------------------------------------------------------------------
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // The current cell's text.
    QString text() const { return textMatrix(m_row, m_col); }
    void setText(const QString& t) { setTextMatrix(m_row, m_col, t); }
    // Empties every cell (fixed ones too); the shape stays.
    void clear();

    // "^|<|>" or "<CHANNEL:|^ON|^OFF": one segment per column, '<' left, '^' centred, '>' right,
    // the rest of a segment the column's text in row 0. Sets the column count to the segments.
    void setFormatString(const QString& format);
    Align colAlignment(int col) const;
    void setColAlignment(int col, Align a);
    // Twips; kDefaultColWidth until set.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int twips);

    // --- current cell and selection ------------------------------------------------------------
    int row() const { return m_row; }
    int col() const { return m_col; }
    // Moving the current cell collapses the selection onto it, as the old control did.
    void setRow(int r);
    void setCol(int c);
    void setCurrentCell(int r, int c);
    int rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    void setRowSel(int r);
    void setColSel(int c);
    // Anchor and far corner at once (the view's mouse and key selections).
    void select(int row, int col, int rowSel, int colSel);
    int selTop() const { return std::min(m_row, m_rowSel); }
    int selBottom() const { return std::max(m_row, m_rowSel); }
    int selLeft() const { return std::min(m_col, m_colSel); }
    int selRight() const { return std::max(m_col, m_colSel); }

    // --- scrolling ---------------------------------------------------------------------------
    // First scrollable row shown under the fixed rows.
    int topRow() const { return m_topRow; }
    void setTopRow(int r);
    // How many scrollable rows the view shows whole, and whether part of one more shows under
    // them (it counts as visible, but scrolling stops when the last row shows whole). The view
    // keeps both up to date; a grid without a view shows no rows until a test sets them.
    int visibleRows() const { return m_visibleRows; }
    void setVisibleRows(int whole, bool partOfOneMore = false);
    bool rowIsVisible(int r) const;

    // --- rows --------------------------------------------------------------------------------
    // Empty rows; `at` may be rows() to append. The current cell keeps its index.
    void insertRows(int at, int count);
    void removeRows(int at, int count);
    // A row whose cells are the tab-separated parts of `item`, at `index` (-1: at the end).
    void addItem(const QString& item, int index = -1);
    void removeItem(int index) { removeRows(index, 1); }

    // --- clip text ---------------------------------------------------------------------------
    // The selection's texts: cells separated by tabs, rows by line ends (none after the last).
    QString clip() const;
    // Fills the selection from such text, from its top left cell; text beyond it is dropped.
    void setClip(const QString& text);

signals:
    void cellsChanged(int top, int left, int bottom, int right);
    void rowsAboutToBeInserted(int at, int count);
    void rowsInserted(int at, int count);
    void rowsAboutToBeRemoved(int at, int count);
    void rowsRemoved(int at, int count);
    // Columns, fixed rows or columns changed: the view rebuilds.
    void aboutToReshape();
    void reshaped();
    void columnFormatChanged(int col);
    void rowHeightChanged();
    // The old control's cell events: leaving the current cell, then entering the new one.
    void leaveCell();
    void enterCell();
    void selectionChanged();
    void topRowChanged();

private:
    int clampRow(int r) const;
    int clampCol(int c) const;
    int maxTopRow() const;
    void moveCurrent(int r, int c, int rs, int cs);
    void afterRowCountChange();

    std::vector<QStringList> m_rows;
    int m_cols = 2;
    int m_fixedRows = 1;
    int m_fixedCols = 0;
    std::vector<Align> m_align;
    std::vector<int> m_width;
    int m_rowHeight = kDefaultRowHeight;
    int m_row = 1;
    int m_col = 0;
    int m_rowSel = 1;
    int m_colSel = 0;
    int m_topRow = 1;
    int m_visibleRows = 0;
    bool m_partRow = false;
};
