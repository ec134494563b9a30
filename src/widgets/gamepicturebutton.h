#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button drawn as one of the game's pictures. It takes the keyboard focus,
// Space, Enter and Return press it, and a screen reader reads the text that
// the picture shows.
class GamePictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // text: what the picture reads, used as the accessible name.
    GamePictureButton(const QPixmap &picture, const QString &text, QWidget *parent = nullptr);

    // The picture's size.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap picture_;
};
