#include "platform/UpDownEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDownEdit::UpDownEdit(QWidget* parent) : QWidget(parent), m_edit(new QLineEdit(this))
{
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
    }
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(m_edit, 1);
    row->addLayout(arrows);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDownEdit::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
}

QString UpDownEdit::text() const { return m_edit->text(); }

void UpDownEdit::setText(const QString& text) { m_edit->setText(text); }

bool UpDownEdit::inRange() const
{
    bool ok = false;
    const int value = m_edit->text().trimmed().toInt(&ok);
    return ok && value >= m_min && value <= m_max;
}

QString rangeMessage(int min, int max)
{
    return QStringLiteral("Only a Number Between ") + QString::number(min) + QStringLiteral(" and ") +
           QString::number(max) + QStringLiteral(" can be Entered");
}

QString UpDownEdit::rangeMessage() const { return ::rangeMessage(m_min, m_max); }

void UpDownEdit::stepBy(int delta)
{
    bool ok = false;
    int value = m_edit->text().trimmed().toInt(&ok);
    if (!ok)
        value = m_min;
    value = qBound(m_min, qBound(m_min, value, m_max) + delta, m_max);
    const QString before = m_edit->text();
    m_edit->setText(QString::number(value));
    m_edit->selectAll();
    // A step against a bound changes nothing and is no step.
    if (m_edit->text() != before)
        emit stepped();
}

bool UpDownEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        m_valueOnEntry = m_edit->text();
        m_escapedOnce = false;
        break;
    case QEvent::FocusOut:
        // A focus lost to a box of our own (the refusal message) or to another window is not the
        // user leaving the field.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason)
            emit focusLeft();
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (key == Qt::Key_Escape) {
            if (!m_escapedOnce) {
                m_edit->setText(m_valueOnEntry);
                m_escapedOnce = true;
            } else {
                focusNextChild();
            }
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
        m_escapedOnce = false;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
