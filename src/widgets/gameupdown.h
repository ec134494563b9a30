#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The arrows beside a read-only number field: the only way to change the
// number. The position stays within its range and never wraps round; the
// field always shows it. Up and Down in the field step it too.
class GameUpDown : public QWidget {
    Q_OBJECT
public:
    // what: the value's name, for the arrows' accessible names ("More rounds").
    GameUpDown(QLineEdit *associate, int minimum, int maximum, int increment, int position,
               const QString &what, QWidget *parent = nullptr);

    int position() const { return position_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Sets the position, held within the range, and shows it in the field.
    void setPosition(int position);
    // One increment up (steps > 0) or down (steps < 0) per step, stopping at the ends.
    void stepBy(int steps);

    QToolButton *upArrow() const { return up_; }
    QToolButton *downArrow() const { return down_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *associate_;
    QToolButton *up_;
    QToolButton *down_;
    int minimum_;
    int maximum_;
    int increment_;
    int position_;
};
