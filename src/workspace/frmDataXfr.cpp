#include "workspace/frmDataXfr.h"

#include "platform/Prompts.h"
#include "platform/UpDownEdit.h"
#include "workspace/DataTransfer.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {
// The number in a range box as the dialog reads it: nullopt when the text is no number at all.
std::optional<double> numberIn(const UpDownEdit* box)
{
    bool ok = false;
    const double value = box->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isWhole(const UpDownEdit* box) { return numberIn(box) && !box->text().contains(QLatin1Char('.')); }
} // namespace

frmDataXfr::frmDataXfr(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDataXfr"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    fraOptions = new QGroupBox(QStringLiteral("Options"), this);
    optRange[0] = new QRadioButton(QStringLiteral("Standard"), fraOptions);
    optRange[1] = new QRadioButton(QStringLiteral("Range"), fraOptions);
    lblRange[0] = new QLabel(QStringLiteral("from: B"), fraOptions);
    lblRange[1] = new QLabel(QStringLiteral("to: B"), fraOptions);
    auto* grid = new QGridLayout(fraOptions);
    grid->addWidget(optRange[0], 0, 0, 1, 2);
    grid->addWidget(optRange[1], 1, 0, 1, 2);
    for (int i = 0; i < 2; ++i) {
        txtRange[i] = new UpDownEdit(fraOptions);
        txtRange[i]->setMinimumWidth(90);
        lblRange[i]->setBuddy(txtRange[i]->edit());
        lblRange[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(lblRange[i], 2 + i, 0);
        grid->addWidget(txtRange[i], 2 + i, 1);
        txtRange[i]->edit()->installEventFilter(this);
        connect(optRange[i], &QRadioButton::clicked, this, [this, i] { optRange_Click(i); });
        connect(txtRange[i], &UpDownEdit::focusLeft, this, [this, i] {
            // A box left for OK or Cancel is checked by OK itself, or not at all.
            const QWidget* next = QApplication::focusWidget();
            if (m_refocusing || next == cmdOk || next == cmdCancel)
                return;
            // To left for From is the pair still being edited: the user may be on the way to lower
            // From, so the order waits for To being left elsewhere, or for OK.
            const bool withOrder = !(i == 1 && next && txtRange[0]->isAncestorOf(next));
            // Checked once the focus has moved: a refusal box shown from inside the focus change
            // would be followed by the rest of it (the box left deselects its text).
            // By then Standard may have been chosen and the boxes emptied: nothing is left to check.
            QTimer::singleShot(0, this, [this, i, withOrder] {
                if (isVisible() && optRange[1]->isChecked() && txtRange[i]->isEnabled())
                    txtRange_LostFocus(i, withOrder);
            });
        });
    }
    grid->setColumnStretch(1, 1);
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(cmdOk, &QPushButton::clicked, this, &frmDataXfr::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDataXfr::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraOptions);
    outer->addLayout(buttons);
}

void frmDataXfr::Form_Load()
{
    QString caption = gDataXferMode == 2 ? QStringLiteral("Target Board Data Upload")
                                         : QStringLiteral("Target Board Data Download");
    if (QFileInfo(gProgramFile).isFile())
        caption += QStringLiteral(" - [") + QFileInfo(gProgramFile).fileName() + QStringLiteral("]");
    setWindowTitle(caption);
    optRange[0]->setChecked(true);
    optRange_Click(0);
    adjustSize();
    setMinimumWidth(qMax(width(), fontMetrics().horizontalAdvance(caption) + 120));
    CenterForm(this);
}

void frmDataXfr::optRange_Click(int Index)
{
    const bool range = Index == 1;
    optRange[range ? 1 : 0]->setChecked(true);
    const AddressSpan limits = standardRange(gDataXferBoardType);
    for (int i = 0; i < 2; ++i) {
        lblRange[i]->setEnabled(range);
        txtRange[i]->setEnabled(range);
        txtRange[i]->setRange(limits.first, limits.last);
        if (range)
            txtRange[i]->setText(QString::number(i == 0 ? limits.first : limits.last));
        else
            txtRange[i]->setText(QString());
    }
    if (range)
        focusBox(0);
}

void frmDataXfr::txtRange_GotFocus(int Index) { SelectAllText(txtRange[Index]->edit()); }

void frmDataXfr::focusBox(int Index)
{
    m_refocusing = true;
    if (isVisible())
        activateWindow();
    txtRange[Index]->setFocus();
    txtRange_GotFocus(Index);
    m_refocusing = false;
}

bool frmDataXfr::refuse(int Index, const QString& text)
{
    msgBox(text, Buttons::Ok, Icon::Information, QStringLiteral("Entry Error"));
    focusBox(Index);
    return false;
}

bool frmDataXfr::txtRange_LostFocus(int Index, bool withOrder)
{
    UpDownEdit* box = txtRange[Index];
    const auto value = numberIn(box);
    if (!value)
        return refuse(Index, QStringLiteral("Only Numerical Data Allowed."));
    if (box->text().contains(QLatin1Char('.')))
        return refuse(Index, QStringLiteral("Please Use Whole Numbers Only."));
    if (Index == 1 && withOrder && !orderAccepted())
        return false;
    const AddressSpan limits = standardRange(gDataXferBoardType);
    if (*value < limits.first || *value > limits.last) {
        box->setText(QString::number(Index == 0 ? limits.first : limits.last));
        return refuse(Index, QStringLiteral("Entry is out of Range ") + QStringLiteral("(") +
                                 QString::number(limits.first) + QStringLiteral("-") + QString::number(limits.last) +
                                 QStringLiteral(")"));
    }
    return true;
}

// The order is the pair's, and To is the box refused for it: From has passed its own range check
// when it was left, so some To within the limits always fits, and To can always be reached.
// Refusing From instead would hold the focus in a box that no value may satisfy (To below the
// lowest limit).
bool frmDataXfr::orderAccepted()
{
    if (!isWhole(txtRange[0]) || !isWhole(txtRange[1]))
        return true;
    if (*numberIn(txtRange[1]) < *numberIn(txtRange[0]))
        return refuse(1, QStringLiteral("'To' must not be below 'From'."));
    return true;
}

void frmDataXfr::cmdOk_Click()
{
    AddressSpan range = standardRange(gDataXferBoardType);
    if (optRange[1]->isChecked()) {
        // A value confirmed with Enter in the last box may never have lost the focus, and the
        // order waits for OK when To was left for From.
        if (!txtRange_LostFocus(0) || !txtRange_LostFocus(1))
            return;
        range = {static_cast<int>(*numberIn(txtRange[0])), static_cast<int>(*numberIn(txtRange[1]))};
    }
    gDataXferFrom = range.first;
    gDataXferTo = range.last;
    hide();
    ShowWaitDisplay(4);
    Form_Unload();
}

void frmDataXfr::cmdCancel_Click() { Form_Unload(); }

void frmDataXfr::Form_Unload()
{
    done(Rejected);
    QApplication::processEvents();
}

bool frmDataXfr::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < 2; ++i) {
        if (watched != txtRange[i]->edit())
            continue;
        switch (event->type()) {
        case QEvent::FocusIn:
            m_focusArrived[i] = true;
            // After the event: a box entered with Tab selects its text itself, one clicked places
            // its cursor first.
            QTimer::singleShot(0, this, [this, i] { txtRange_GotFocus(i); });
            break;
        case QEvent::MouseButtonRelease:
            // A click that only gave the focus; one that dragged over part of the text keeps that.
            if (m_focusArrived[i] && !txtRange[i]->edit()->hasSelectedText())
                txtRange_GotFocus(i);
            m_focusArrived[i] = false;
            break;
        case QEvent::KeyPress:
        case QEvent::FocusOut:
            m_focusArrived[i] = false;
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
