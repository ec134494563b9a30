#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

// The help window: a side bar of page buttons and six read-only pages
// memo1 to memo6 (Overview, Connecting, Game Play, Scoring, History and
// License) stacked in one place under the title label_caption.
class Thelp : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPages = 6;

    explicit Thelp(QWidget *parent = nullptr);

    // Brings the page "memo" + the button's tag to the front and shows the
    // button's caption above it; a tag that names no page changes nothing.
    void SelButton1Click(QPushButton *button);
    // Asks for the About window (signal aboutRequested).
    void button_aboutClick();
    // Hides the window; it keeps its page.
    void button_doneClick();
    // The page in front.
    QTextBrowser *currentPage() const;

    std::array<QPushButton *, kPages> SelButton{};
    std::array<QTextBrowser *, kPages> memo{};
    QPushButton *button_about = nullptr;
    QPushButton *button_done = nullptr;
    QLabel *label_caption = nullptr;

signals:
    // "About" was pressed.
    void aboutRequested();

private:
    QWidget *buildSideBar();
    QStackedWidget *pages_ = nullptr;
};
