#pragma once

#include <QLabel>

// A picture or a text that acts when pressed: by the mouse, by Space or Enter
// once it has the keyboard focus (Tab reaches it), and by a screen reader's
// "Press" action.
class PressableLabel : public QLabel {
    Q_OBJECT
public:
    explicit PressableLabel(const QString &text = {}, QWidget *parent = nullptr);

    // Acts as a click does: emits pressed().
    void press();

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
