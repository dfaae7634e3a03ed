#include "platform/GridModel.h"

#include <QSignalBlocker>
#include <algorithm>

GridModel::GridModel(QObject* parent) : QObject(parent), m_rows(2)
{
    m_align.assign(m_cols, Align::General);
    m_width.assign(m_cols, kDefaultColWidth);
}

int GridModel::clampRow(int r) const
{
    return std::clamp(r, 0, std::max(0, rows() - 1));
}

int GridModel::clampCol(int c) const
{
    return std::clamp(c, 0, std::max(0, m_cols - 1));
}

int GridModel::maxTopRow() const
{
    // The last page is shown full, so the top row stops where the last row reaches the bottom.
    const int last = std::max(m_fixedRows, rows() - std::max(1, m_visibleRows));
    return std::max(m_fixedRows, last);
}

void GridModel::setRows(int n)
{
    n = std::max(0, n);
    if (n > rows())
        insertRows(rows(), n - rows());
    else if (n < rows())
        removeRows(n, rows() - n);
}

void GridModel::setCols(int n)
{
    n = std::max(0, n);
    if (n == m_cols)
        return;
    emit aboutToReshape();
    m_cols = n;
    for (QStringList& r : m_rows)
        if (r.size() > n)
            r.resize(n);
    m_align.resize(n, Align::General);
    m_width.resize(n, kDefaultColWidth);
    m_fixedCols = std::min(m_fixedCols, n);
    m_col = clampCol(m_col);
    m_colSel = clampCol(m_colSel);
    emit reshaped();
}

void GridModel::setFixedRows(int n)
{
    n = std::clamp(n, 0, rows());
    if (n == m_fixedRows)
        return;
    emit aboutToReshape();
    m_fixedRows = n;
    m_topRow = std::clamp(m_topRow, m_fixedRows, maxTopRow());
    emit reshaped();
}

void GridModel::setFixedCols(int n)
{
    n = std::clamp(n, 0, m_cols);
    if (n == m_fixedCols)
        return;
    emit aboutToReshape();
    m_fixedCols = n;
    emit reshaped();
}

QString GridModel::textMatrix(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0)
        return {};
    const QStringList& r = m_rows[static_cast<size_t>(row)];
    return col < r.size() ? r[col] : QString();
}

void GridModel::setTextMatrix(int row, int col, const QString& text)
{
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return;
    QStringList& r = m_rows[static_cast<size_t>(row)];
    if (col >= r.size()) {
        if (text.isEmpty())
            return;
        r.resize(col + 1);
    } else if (r[col] == text) {
        return;
    }
    r[col] = text;
    emit cellsChanged(row, col, row, col);
}

void GridModel::clear()
{
    for (QStringList& r : m_rows)
        r.clear();
    if (rows() > 0 && m_cols > 0)
        emit cellsChanged(0, 0, rows() - 1, m_cols - 1);
}

void GridModel::setFormatString(const QString& format)
{
    const QStringList parts = format.split(QLatin1Char('|'));
    setCols(static_cast<int>(parts.size()));
    for (int c = 0; c < parts.size(); ++c) {
        QString heading = parts[c];
        Align a = Align::General;
        if (!heading.isEmpty()) {
            const QChar k = heading.front();
            if (k == QLatin1Char('<'))
                a = Align::Left;
            else if (k == QLatin1Char('^'))
                a = Align::Center;
            else if (k == QLatin1Char('>'))
                a = Align::Right;
            if (a != Align::General)
                heading.remove(0, 1);
        }
        setColAlignment(c, a);
        if (rows() > 0)
            setTextMatrix(0, c, heading);
    }
}

GridModel::Align GridModel::colAlignment(int col) const
{
    return col >= 0 && col < m_cols ? m_align[static_cast<size_t>(col)] : Align::General;
}

void GridModel::setColAlignment(int col, Align a)
{
    if (col < 0 || col >= m_cols || m_align[static_cast<size_t>(col)] == a)
        return;
    m_align[static_cast<size_t>(col)] = a;
    emit columnFormatChanged(col);
}

int GridModel::colWidth(int col) const
{
    return col >= 0 && col < m_cols ? m_width[static_cast<size_t>(col)] : 0;
}

void GridModel::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_cols || m_width[static_cast<size_t>(col)] == twips)
        return;
    m_width[static_cast<size_t>(col)] = std::max(0, twips);
    emit columnFormatChanged(col);
}

void GridModel::setRowHeight(int twips)
{
    twips = std::max(1, twips);
    if (twips == m_rowHeight)
        return;
    m_rowHeight = twips;
    emit rowHeightChanged();
}

void GridModel::moveCurrent(int r, int c, int rs, int cs)
{
    r = clampRow(r);
    c = clampCol(c);
    rs = clampRow(rs);
    cs = clampCol(cs);
    const bool cellMoves = r != m_row || c != m_col;
    if (cellMoves) {
        emit leaveCell();
        // A handler of the leave event may itself have moved the current cell or added rows; the
        // move asked for here still wins, as a click on a cell lands on that cell.
        r = clampRow(r);
        rs = clampRow(rs);
    }
    const bool selMoves = cellMoves || rs != m_rowSel || cs != m_colSel;
    m_row = r;
    m_col = c;
    m_rowSel = rs;
    m_colSel = cs;
    if (cellMoves)
        emit enterCell();
    if (selMoves)
        emit selectionChanged();
}

void GridModel::setRow(int r)
{
    moveCurrent(r, m_col, r, m_col);
}

void GridModel::setCol(int c)
{
    moveCurrent(m_row, c, m_row, c);
}

void GridModel::setCurrentCell(int r, int c)
{
    moveCurrent(r, c, r, c);
}

void GridModel::setRowSel(int r)
{
    moveCurrent(m_row, m_col, r, m_colSel);
}

void GridModel::setColSel(int c)
{
    moveCurrent(m_row, m_col, m_rowSel, c);
}

void GridModel::select(int row, int col, int rowSel, int colSel)
{
    moveCurrent(row, col, rowSel, colSel);
}

void GridModel::setTopRow(int r)
{
    r = std::clamp(r, m_fixedRows, maxTopRow());
    if (r == m_topRow)
        return;
    m_topRow = r;
    emit topRowChanged();
}

void GridModel::setVisibleRows(int whole, bool partOfOneMore)
{
    m_visibleRows = std::max(0, whole);
    m_partRow = partOfOneMore;
}

bool GridModel::rowIsVisible(int r) const
{
    if (r < 0 || r >= rows())
        return false;
    if (r < m_fixedRows)
        return true;
    return r >= m_topRow && r < m_topRow + m_visibleRows + (m_partRow ? 1 : 0);
}

void GridModel::afterRowCountChange()
{
    m_row = clampRow(m_row);
    m_rowSel = clampRow(m_rowSel);
    const int top = std::clamp(m_topRow, m_fixedRows, maxTopRow());
    if (top != m_topRow) {
        m_topRow = top;
        emit topRowChanged();
    }
}

void GridModel::insertRows(int at, int count)
{
    at = std::clamp(at, 0, rows());
    if (count <= 0)
        return;
    emit rowsAboutToBeInserted(at, count);
    m_rows.insert(m_rows.begin() + at, static_cast<size_t>(count), QStringList());
    emit rowsInserted(at, count);
    afterRowCountChange();
}

void GridModel::removeRows(int at, int count)
{
    if (at < 0 || at >= rows())
        return;
    count = std::min(count, rows() - at);
    if (count <= 0)
        return;
    emit rowsAboutToBeRemoved(at, count);
    m_rows.erase(m_rows.begin() + at, m_rows.begin() + at + count);
    emit rowsRemoved(at, count);
    afterRowCountChange();
}

void GridModel::addItem(const QString& item, int index)
{
    const int at = index < 0 || index > rows() ? rows() : index;
    insertRows(at, 1);
    QStringList cells = item.split(QLatin1Char('\t'));
    if (cells.size() > m_cols)
        cells.resize(m_cols);
    while (!cells.isEmpty() && cells.back().isEmpty())
        cells.removeLast();
    m_rows[static_cast<size_t>(at)] = cells;
    if (!cells.isEmpty())
        emit cellsChanged(at, 0, at, static_cast<int>(cells.size()) - 1);
}

QString GridModel::clip() const
{
    if (rows() == 0 || m_cols == 0)
        return {};
    const int top = selTop(), bottom = selBottom(), left = selLeft(), right = selRight();
    QString out;
    out.reserve((bottom - top + 1) * (right - left + 1) * 8);
    for (int r = top; r <= bottom; ++r) {
        if (r > top)
            out += QLatin1Char('\n');
        const QStringList& cells = m_rows[static_cast<size_t>(r)];
        for (int c = left; c <= right; ++c) {
            if (c > left)
                out += QLatin1Char('\t');
            if (c < cells.size())
                out += cells[c];
        }
    }
    return out;
}

void GridModel::setClip(const QString& text)
{
    if (rows() == 0 || m_cols == 0)
        return;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = t.split(QLatin1Char('\n'));
    const int top = selTop(), bottom = selBottom(), left = selLeft(), right = selRight();
    {
        // One notice for the whole block rather than one per cell.
        const QSignalBlocker quiet(this);
        for (int i = 0; i < lines.size() && top + i <= bottom; ++i) {
            const QStringList cells = lines[i].split(QLatin1Char('\t'));
            for (int j = 0; j < cells.size() && left + j <= right; ++j)
                setTextMatrix(top + i, left + j, cells[j]);
        }
    }
    emit cellsChanged(top, left, bottom, right);
}
