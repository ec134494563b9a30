#pragma once

#include <QAbstractButton>

// An option of the game start window: a check picture (picture 0 unchecked,
// picture 1 checked) with its label beside it. The checked flag and the
// picture always change together, only through setFlag; a click only reports
// itself, so the window decides what it means. It takes the keyboard focus
// and Space, Enter and Return click it. A change of the checked state from
// outside (a screen reader's "Toggle") is taken back and reported like a click.
// Either way chosen() is the signal to act on.
class GameCheckImage : public QAbstractButton {
    Q_OBJECT
public:
    GameCheckImage(const QString &label, QWidget *parent = nullptr);

    // The checked flag, 0 or 1.
    int flag() const { return flag_; }
    // Sets the flag (anything but 0 counts as 1) and draws the matching picture.
    void setFlag(int flag);
    // The check picture drawn at the top-left corner now.
    QPixmap picture() const;

    QSize sizeHint() const override;

signals:
    // The user chose this option: by a click, a key, or the accessibility interface.
    void chosen();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void nextCheckState() override;

private:
    int flag_ = 0;
};
