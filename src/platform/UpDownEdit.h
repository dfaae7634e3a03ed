#pragma once
#include <QWidget>

class QLineEdit;
class QToolButton;

// "Only a Number Between 1 and 99 can be Entered": the refusal of a value outside an entry's bounds.
QString rangeMessage(int min, int max);

// A text box paired with an up-down spinner. Unlike a spin box it does not clamp what is typed:
// the text may hold anything, and the window that owns the pair refuses an out-of-range value with
// its own message (rangeMessage). The arrows step the number within the bounds.
//
// Keys, as in every entry field of the system: Enter moves to the next control; the first Esc
// restores the text the field had when it got the focus, a second Esc moves the focus away.
class UpDownEdit : public QWidget {
    Q_OBJECT
public:
    explicit UpDownEdit(QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    QString text() const;
    void setText(const QString& text);

    // The text is a whole number within the bounds.
    bool inRange() const;
    // "Only a Number Between 1 and 99 can be Entered".
    QString rangeMessage() const;

    // One step of the arrows: the number in the box (bounded) plus `delta`, kept within the bounds.
    void stepBy(int delta);

signals:
    // The field lost the focus to another control of the same window.
    void focusLeft();
    // An arrow (button or Up/Down key) changed the number; the text already shows the new value.
    void stepped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min = 0;
    int m_max = 100;
    QString m_valueOnEntry;
    bool m_escapedOnce = false;
};
