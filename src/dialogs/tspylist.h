#pragma once

#include <QWidget>

#include <functional>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;

// The spy list window: the spies of the game as "seat: name" lines in
// listbox_spys, and for the host the pop-up entry "Remove From Game".
class Tspylist : public QWidget {
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    // Appends a line "seat: name".
    void addSpy(const QString &entry);
    // Removes the first line equal to entry; false when there is none.
    bool removeSpy(const QString &entry);
    // Runs with the seat of the line chosen for removal.
    void setKickHandler(std::function<void(int)> handler);

    // Remembers the line under the pointer (-1 when none).
    void listbox_spysMouseMove(const QPoint &pos);
    // Asks to remove the spy of the remembered line; a line without a seat
    // number before its ":" is left alone.
    void popup_kickhimClick();
    // Hides the window; the list goes on being kept.
    void button_doneClick();

    QListWidget *listbox_spys = nullptr;
    QMenu *popup_kick = nullptr;
    QAction *popup_kickhim = nullptr;
    QPushButton *button_done = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int hoverindex_ = -1;
    std::function<void(int)> kick_;
};
