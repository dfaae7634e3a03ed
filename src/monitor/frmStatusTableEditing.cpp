// The status table's grid: cell events, the row keys, the in-cell editor, committing an address
// or a value, and the next address of Auto Increment.
#include "monitor/frmStatusTable.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/Prompts.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

namespace {
constexpr int kAddressCol = 1;

// The value of hexadecimal digits; false for an empty text or any other character. Held below
// 2^40 so that a long typed text stays a number that the write refuses as out of range.
bool hexValue(const QString& s, long long& value)
{
    value = 0;
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        const int d = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (d < 0)
            return false;
        value = std::min(value * 16 + d, 1LL << 40);
    }
    return true;
}

// The keys the address column takes for a board (besides the point and the bit digit).
bool addressKeyAllowed(QChar key, int boardCode)
{
    const QChar k = key.toUpper();
    if ((k >= QLatin1Char('0') && k <= QLatin1Char('9')) || (k >= QLatin1Char('A') && k <= QLatin1Char('F')) ||
        k == QLatin1Char('H') || k == QLatin1Char('W'))
        return true;
    switch (boardCode) {
    case 49:
    case 58:
    case 59:
    case 60:
    case 61:
    case 65:
    case 66:
        return k == QLatin1Char('X') || k == QLatin1Char('Y');
    case 50:
        return k == QLatin1Char('X') || k == QLatin1Char('Y') || k == QLatin1Char('I');
    default:
        return false;
    }
}
} // namespace

frmStatusTable::RowAddress frmStatusTable::splitRowAddress(const QString& text)
{
    const RSComm::AddressForm form = RSComm::splitAddress(text);
    RowAddress a;
    a.valid = form.kind != RSComm::AddressForm::Invalid;
    if (!a.valid)
        return a;
    a.hex = form.kind == RSComm::AddressForm::Hex;
    a.type = form.letter;
    a.number = form.number;
    if (form.kind == RSComm::AddressForm::Bit)
        a.bit = form.bit;
    return a;
}

QString frmStatusTable::boardAddress(const RowAddress& a) const
{
    if (!gRSComm || !a.valid || !gRSComm->ValidAdd(a.normalised(), TableBoardCode))
        return {};
    if (!QStringLiteral("IXY").contains(a.type))
        return a.normalised();
    const QString mapped = gRSComm->EquateAdd(a.normalised(), TableBoardCode);
    // The mapping hands back what it was given when the board has no such point.
    return mapped.startsWith(QLatin1Char('B'), Qt::CaseInsensitive) ? mapped : QString();
}

// ---- cell events ----------------------------------------------------------------------------------

void frmStatusTable::fgStatus_Click()
{
    GridModel& g = *fgStatus;
    EscPending = false;
    Editing = false;
    const int last = g.rows() - 1;
    if (g.row() == last) {
        if (g.rows() < kMaxRows) {
            g.setTextMatrix(last, 0, QString());
            g.setRows(g.rows() + 1);
            g.setTextMatrix(g.rows() - 1, 0, QStringLiteral("*"));
        } else {
            g.setTextMatrix(last, kAddressCol, QString());
            g.setRow(last - 1);
        }
        g.setCol(kAddressCol);
        giveGridFocus();
        if (!g.rowIsVisible(g.row() + 1))
            g.setTopRow(g.topRow() + 2);
        TableChanged = true;
    } else if (g.col() < 1 || g.col() > 3) {
        g.setCol(kAddressCol);
        giveGridFocus();
        if (!g.rowIsVisible(g.row()))
            g.setTopRow(g.topRow() + 2);
    }
}

void frmStatusTable::fgStatus_EnterCell()
{
    if (!Active)
        return;
    GridModel& g = *fgStatus;
    EscPending = false;
    SavedCellText.clear();
    Editing = false;
    EditedRow = 0;
    if (g.col() > 3) {
        g.setCol(kAddressCol);
        giveGridFocus();
    }
    if (!g.rowIsVisible(g.row()))
        g.setTopRow(g.topRow() + 2);
}

void frmStatusTable::fgStatus_LeaveCell()
{
    if (!Active)
        return;
    if (EnterMoved) {
        EnterMoved = false;
        return;
    }
    if (fgStatus->col() == kAddressCol && fgStatus->text().size() > 1)
        CommitCellEntry(false);
}

// ---- row keys -------------------------------------------------------------------------------------

void frmStatusTable::fgStatus_KeyDown(int KeyCode, int)
{
    GridModel& g = *fgStatus;
    m_backspaceWasDelete = KeyCode == Qt::Key_Backspace && !Editing;
    if (m_backspaceWasDelete)
        KeyCode = Qt::Key_Delete;
    // A selection made upwards or to the left counts by its bounds.
    const int top = std::max(g.selTop(), g.fixedRows());
    int bottom = g.selBottom();
    const int last = g.rows() - 1;
    if (KeyCode == Qt::Key_Delete) {
        if (top != last) {
            if (g.selRight() == g.cols() - 1) {
                if (bottom == last)
                    --bottom;
                if (bottom >= top) {
                    g.removeRows(top, bottom - top + 1);
                    TableChanged = true;
                }
            } else {
                for (int r = top; r <= std::min(bottom, last - 1); ++r)
                    for (int c = 0; c < g.cols(); ++c)
                        g.setTextMatrix(r, c, QString());
            }
        }
        g.setCol(kAddressCol);
        giveGridFocus();
    } else if (KeyCode == Qt::Key_Insert) {
        const int count = bottom - top + 1;
        // The limit counts the rows the insert would add, so the grid never passes it.
        if (g.rows() + count <= kMaxRows) {
            g.insertRows(top, count);
            TableChanged = true;
        } else {
            msgBox(QStringLiteral("Maximum Row Limit Reached."), Buttons::Ok, Icon::Exclamation,
                   QStringLiteral("Add Cell"));
            giveGridFocus();
        }
    }
}

// ---- the in-cell editor ---------------------------------------------------------------------------

void frmStatusTable::fgStatus_KeyPress(int KeyAscii)
{
    // A Backspace that acted as Delete edits nothing: beginning an edit here would empty the cell
    // the Delete left current, the address of a row that had just moved up into place.
    const bool deleted = KeyAscii == 8 && m_backspaceWasDelete;
    m_backspaceWasDelete = false;
    if (deleted)
        return;
    GridModel& g = *fgStatus;
    QString text = g.text();
    qsizetype L = text.size();
    qsizetype P = text.indexOf(QLatin1Char('.')) + 1;
    switch (KeyAscii) {
    case 13:
        EscPending = false;
        EnterMoved = true;
        if (chkAutoIncrement->isChecked() && g.col() == kAddressCol && L > 1) {
            CommitCellEntry(true);
        } else {
            Editing = false;
            CommitCellEntry(false);
        }
        return;
    case 27:
        if (Editing)
            g.setText(SavedCellText);
        Editing = false;
        if (EscPending) {
            EscPending = false;
            EditedRow = 0;
            cmdDefault->setFocus();
        } else {
            EscPending = true;
        }
        return;
    case 32:
        return;
    default:
        break;
    }
    EscPending = false;
    // An Enter whose commit did not move the row (an address refused) is over once typing begins
    // again: leaving the new text must commit it.
    EnterMoved = false;
    EditedRow = g.row();
    if (!Editing) {
        SavedCellText = text;
        Editing = true;
        g.setText(QString());
        text.clear();
        L = P = 0;
        if (g.row() == g.rows() - 1) {
            const int row = g.row(), col = g.col();
            fgStatus_Click();
            // Typing that began in another column of the new row goes on in its address cell; the
            // move there must not end the editing, or the next key would empty what this one typed.
            // At the row limit the typing goes to the row above instead: it begins there afresh,
            // so that Esc gives that row its own address back.
            if (g.col() != col || g.row() != row) {
                SavedCellText = g.text();
                Editing = true;
                EditedRow = g.row();
                g.setText(QString());
            }
        }
        text = g.text();
        L = text.size();
        P = text.indexOf(QLatin1Char('.')) + 1;
    }
    if (KeyAscii < 0 || KeyAscii > 255)
        return;
    const QChar key = QChar(KeyAscii);
    const int col = g.col();
    auto append = [&] { g.setText(text + key); };
    auto addressRule = [&] {
        if (col == kAddressCol && L < 5 && addressKeyAllowed(key, TableBoardCode))
            append();
    };
    if (KeyAscii == 8) {
        if (L > 0)
            g.setText(text.chopped(1));
    } else if (key == QLatin1Char('.')) {
        if (L >= 2 && P == 0 && QStringLiteral("BIXY").contains(text.front().toUpper()))
            append();
    } else if (key >= QLatin1Char('0') && key <= QLatin1Char('7')) {
        if (col == kAddressCol) {
            if (P >= 1 && P == L)
                append();
            else
                addressRule();
        } else if (col == 2 || col == 3) {
            append();
        }
    } else if (key == QLatin1Char('8') || key == QLatin1Char('9')) {
        if (col == 2 || col == 3)
            append();
        else
            addressRule();
    } else if ((key >= QLatin1Char('A') && key <= QLatin1Char('F')) || (key >= QLatin1Char('a') && key <= QLatin1Char('f'))) {
        if (col == 3)
            append();
        else
            addressRule();
    } else {
        addressRule();
    }
}

// ---- committing -----------------------------------------------------------------------------------

void frmStatusTable::CommitCellEntry(bool AutoIncrement)
{
    GridModel& g = *fgStatus;
    const int row = g.row();
    const int col = g.col();
    RowAddress address;
    if (!g.text().isEmpty()) {
        g.setText(g.text().toUpper());
        // An address of one character can name nothing: it clears its row below like an empty one
        // rather than leaving the row's old values beside an emptied address.
        if (!(col == kAddressCol && g.text().size() < 2)) {
            address = splitRowAddress(g.textMatrix(row, kAddressCol).toUpper());
            // A value goes only to an address the board has: a row loaded from a file, or kept
            // from another board, may hold one the address rules refuse.
            if (!address.valid || ((col == 2 || col == 3) && boardAddress(address).isEmpty())) {
                g.setText(QString());
                return;
            }
        }
    }

    if (col == kAddressCol) {
        if (g.text().size() < 2) {
            // The new-entry row keeps its "*".
            for (int c = row == g.rows() - 1 ? 1 : 0; c < g.cols(); ++c)
                g.setTextMatrix(row, c, QString());
            g.setText(QString());
            return;
        }
        if (address.hex)
            g.setText(QString::number(address.number, 16).toUpper() + QLatin1Char('H'));
        if (boardAddress(address).isEmpty()) {
            g.setText(QString());
            return;
        }
        if (gViewNicNames || gViewDescriptions)
            g.setTextMatrix(row, 0, Nicname(address.normalised()));
        if (row != g.rows() - 1) {
            EnterMoved = true;
            g.setRow(row + 1);
            if (g.row() == g.rows() - 1)
                fgStatus_Click();
        }
        const int now = g.row();
        const QString above = g.textMatrix(now - 1, kAddressCol);
        if (AutoIncrement && above.size() >= 2) {
            g.setTextMatrix(now, kAddressCol, NextAddress(above));
            EditedRow = now;
        } else {
            EditedRow = 0;
        }
        return;
    }

    if (col == 2 || col == 3) {
        const QString text = g.text();
        if (text.isEmpty()) {
            giveGridFocus();
            EditedRow = 0;
            return;
        }
        long long value = 0;
        if (col == 2) {
            for (QChar c : text)
                if (c.isDigit())
                    value = std::min(value * 10 + c.digitValue(), 1LL << 40);
        } else {
            hexValue(text, value);
        }
        const QString valueText = QString::number(value);
        const QString addressCell = g.textMatrix(row, kAddressCol);
        if (addressCell.size() >= 2 && gRSComm && gRSComm->OnlineMode) {
            if (address.type == QLatin1Char('X') || address.type == QLatin1Char('I')) {
                // Inputs are the board's to set.
            } else if (!gRSComm->CommError) {
                // A Y point is written at the byte it maps to.
                gRSComm->RSWrite(boardAddress(address), valueText);
            }
        }
        if (addressCell.isEmpty())
            g.setText(QString());
        giveGridFocus();
        EditedRow = 0;
    }
}

QString frmStatusTable::NextAddress(const QString& Address)
{
    const RowAddress a = splitRowAddress(Address);
    if (!a.valid)
        return {};
    if (a.hex)
        return QString::number(a.number + 1, 16).toUpper() + QLatin1Char('H');
    const QChar t = a.type;
    const long n = a.number;
    const bool point = QStringLiteral("IXY").contains(t);
    auto text = [t](long number) { return t + QString::number(number); };
    if (a.hasBit()) {
        if (a.bit < 7)
            return text(n) + QLatin1Char('.') + QString::number(a.bit + 1);
        if (t == QLatin1Char('B') || n % 2 == 0)
            return text(n + 1) + QStringLiteral(".0");
        return text(n + 9) + QStringLiteral(".0");
    }
    if (point)
        return text(n % 2 != 0 ? n + 9 : n + 1);
    switch (t.unicode()) {
    case 'B':
    case 'F':
        return text(n + 1);
    case 'W':
        return text(n + 2);
    case 'D':
        return text(n + 4);
    default:
        return {};
    }
}

// ---- popup menu -----------------------------------------------------------------------------------

void frmStatusTable::fgStatus_MouseUp(int Button, const QPoint& globalPos)
{
    if (Button != Qt::RightButton || !gMDIMain)
        return;
    gMDIMain->mnuStatusTableItem[0]->setVisible(true);
    gMDIMain->mnuStatusTableItem[1]->setVisible(true);
    gMDIMain->mnuStatusTable->exec(globalPos);
    // Copy belongs to the popup only, also when it was closed without a choice.
    gMDIMain->mnuStatusTableItem[0]->setVisible(false);
    gMDIMain->mnuStatusTableItem[1]->setVisible(false);
}
