// The eight set-up entries of the target-board interface: network addresses, board time and date.
// Each is a text box with its spinner; a value is checked against the spinner's bounds and written
// to the board when the user leaves the entry or steps the spinner.
#include "comm/RSComm.h"
#include "monitor/frmTargetBoard.h"
#include "platform/Convert.h"
#include "platform/Prompts.h"
#include "platform/UpDownEdit.h"
#include "workspace/modUtility.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cmath>

namespace {
// A focus that goes to a box of our own or to another application is not the user leaving an entry.
bool userFocusChange(QEvent* event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}
} // namespace

bool frmTargetBoard::eventFilter(QObject* watched, QEvent* event)
{
    int index = -1;
    for (int i = 0; i < 8; ++i)
        if (watched == txtSetup[i]->edit())
            index = i;
    if (index < 0)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (userFocusChange(event))
            txtSetup_GotFocus(index);
        break;
    case QEvent::FocusOut:
        if (userFocusChange(event))
            txtSetup_LostFocus(index);
        break;
    case QEvent::MouseButtonRelease:
        txtSetup_Click(index);
        break;
    case QEvent::KeyPress:
        if (txtSetup_KeyPress(index, static_cast<QKeyEvent*>(event)->key()))
            return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmTargetBoard::txtSetup_GotFocus(int Index)
{
    m_setupTextOnEntry[Index] = txtSetup[Index]->text();
    txtSetup_Click(Index);
}

void frmTargetBoard::txtSetup_Click(int Index)
{
    SetupEditing[Index] = true;
    EscPending = false;
    SetupOldValue[Index] = std::lround(val(txtSetup[Index]->text()));
    SelectAllText(txtSetup[Index]->edit());
}

bool frmTargetBoard::txtSetup_KeyPress(int Index, int KeyCode)
{
    UpDownEdit* entry = txtSetup[Index];
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter) {
        EscPending = false;
        focusNextChild();
        return true;
    }
    if (KeyCode == Qt::Key_Escape) {
        entry->setText(QString::number(SetupOldValue[Index]));
        // The value restored is the one the entry had: leaving it now writes nothing.
        m_setupTextOnEntry[Index] = entry->text();
        if (EscPending) {
            EscPending = false;
            SetupEditing[Index] = false;
            cmdDefault->setFocus();
        } else {
            EscPending = true;
            SelectAllText(entry->edit());
        }
        return true;
    }
    EscPending = false;
    return false;
}

void frmTargetBoard::txtSetup_Validate(int Index, bool& Cancel)
{
    EscPending = false;
    UpDownEdit* entry = txtSetup[Index];
    // Only what the user changed goes to the board: moving through an entry must not write back the
    // value it showed (on the clock page that would set the board's clock back), and a value
    // already written is not written again.
    if (entry->text() == m_setupTextOnEntry[Index]) {
        SetupEditing[Index] = false;
        return;
    }
    if (!entry->inRange()) {
        Cancel = true;
        msgBox(entry->rangeMessage(), Buttons::Ok, Icon::Information,
               QStringLiteral("Set-up") + lblSetupDesc[Index]->text());
        entry->setText(QString::number(SetupOldValue[Index]));
        m_setupTextOnEntry[Index] = entry->text();
        SetupEditing[Index] = true;
        // The focus is still moving away; it is taken back once that is over.
        QTimer::singleShot(0, this, [this, Index] {
            UpDownEdit* e = txtSetup[Index];
            if (e->isEnabled() && e->isVisible())
                e->edit()->setFocus(Qt::OtherFocusReason);
            SelectAllText(e->edit());
        });
        SelectAllText(entry->edit());
        return;
    }
    const QString value = QString::number(entry->text().trimmed().toInt());
    m_setupTextOnEntry[Index] = entry->text();
    if (gRSComm->OnlineMode && !gRSComm->CommError)
        gRSComm->RSWrite(SetupAddress[Index], value);
    SetupEditing[Index] = false;
}

void frmTargetBoard::txtSetup_LostFocus(int Index)
{
    bool cancel = false;
    txtSetup_Validate(Index, cancel);
}

void frmTargetBoard::updSetup_Change(int Index)
{
    SetupEditing[Index] = false;
    EscPending = false;
    // The step is written here; leaving the entry must not write it a second time.
    m_setupTextOnEntry[Index] = txtSetup[Index]->text();
    if (txtSetup[Index]->edit()->hasFocus())
        cmdDefault->setFocus();
    if (gRSComm->OnlineMode && !gRSComm->CommError)
        gRSComm->RSWrite(SetupAddress[Index], txtSetup[Index]->text());
}
