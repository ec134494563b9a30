#pragma once

#include "client/elidinglabel.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class GamePictureButton;
class GameScorePanels;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// The game's part of the main window's board: the round's requirements, the
// countdown with its bar, the word entry box, the refusal banner, the list of
// found words and the score panels. It only holds and places the controls;
// GameView gives them their meaning. Every control carries its design name
// as its objectName.
class GameBoard : public QWidget {
    Q_OBJECT
public:
    // The board fills `area`; button_start (the main window's) moves onto it.
    GameBoard(QWidget *area, QPushButton *startButton);

    // Puts the refusal banner of reason 0 to 3 into image_error (and its
    // words into its accessible name); false for any other reason.
    bool drawError(int reason);
    // The widest the countdown bar can be, in pixels.
    static constexpr int kBarWidth = 300;

    ElidingLabel *label_status = nullptr;
    QLabel *label_round = nullptr;
    QLabel *label_timeperturn = nullptr;
    QLabel *label_numletters = nullptr;
    QLabel *label_word1 = nullptr;
    QLabel *label_word2 = nullptr;
    QLabel *label_timer = nullptr;
    QLabel *image_timer = nullptr;
    QLabel *image_word = nullptr;
    QLineEdit *edit_word = nullptr;
    GamePictureButton *button_igiveup = nullptr;
    QLabel *image_error = nullptr;
    std::array<QPixmap, 4> imagelist_error;
    QLabel *image_full = nullptr;
    QTextEdit *memo_wordlist = nullptr;
    QPushButton *button_start = nullptr;
    GameScorePanels *panel_scores = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ElidingLabel *addLabel(const char *name, const QString &text, QRect where, int pointSize,
                           bool bold, const QColor &colour,
                           Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    void buildInfo();
    void buildEntry();
    void buildWordList();

    QPixmap tile_;
};
