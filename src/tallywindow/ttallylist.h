#pragma once

#include "tally/tallyfile.h"
#include "tally/tallyrecorder.h"
#include "tally/tallytable.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QPixmap;
class QPushButton;

// The tally window: the player's long-term record against followed opponents.
// Loads the tally file when created and writes it back when destroyed; the
// main window reports games, words and best scores through its operations.
class Ttallylist : public QWidget, public TallyRecorder {
    Q_OBJECT
public:
    // Builds the window (hidden) and loads the tally file.
    explicit Ttallylist(QWidget *parent = nullptr);
    // Writes the tally file; a failure leaves the previous file as it was.
    ~Ttallylist() override;

    // Asked by addgame to rebuild "Players In Current Game" before counting.
    std::function<void()> onLoadChecklist;
    // TallyRecorder: sets onLoadChecklist.
    void setLoadChecklistHandler(std::function<void()> handler) override
    {
        onLoadChecklist = std::move(handler);
    }

    // A finished game the local player took part in as a player; winner is
    // "addtomine" when he won, else the winner's name as shown on the seat.
    void addgame(const QString &winner) override;
    // Adds 1 to the own total in `column` (1 to 4) and shows it.
    void addtomineincrease(int column) override;
    // Sets the own total in `column` (1 to 4) to `value` and shows it.
    void addtomineset(int column, const QString &value) override;
    // Adds 1 to the table cell's integer and returns the new value; throws
    // EConvertError when the cell is not a number.
    int addit(int column, int row);

    // "Players In Current Game": the other players of the current game.
    QListWidget *checklist() const { return m_checklist; }
    // "Players Being Tallied": item i belongs to table row i + 1.
    QListWidget *listbox_tally() const { return m_listboxTally; }
    // The best score shown under "High Score:".
    QString mylabel_3Text() const override;
    // The tally table (never shown).
    const TallyTable &stringgrid_scores() const { return m_table; }
    // Rebuilds "Players In Current Game", ticking the names already followed.
    void setPlayersInGame(const QStringList &names) override;
    // Shows the window (not modal) centred on `window`.
    void showCentredOn(const QWidget *window);

    // A check box of "Players In Current Game" was clicked: follow that player.
    void checklistClickCheck(int position);
    // A check box of "Players Being Tallied" was clicked: an unchecked one asks
    // whether to stop following that opponent.
    void listbox_tallyClickCheck(int position);
    // Removes opponent row `row` from the table; later rows move up.
    void moverow(int row);
    // Shows the opponent selected in "Players Being Tallied" in the lower panel.
    void listbox_tallyClick();
    // "Reset Tally": asks, then empties the whole tally.
    void button_resetClick();
    // "Done": hides the window.
    void button_doneClick();

private:
    void buildControls();
    void FormCreate();
    void FormDestroy();
    void loadtally();
    void showOwnTotal(int column);
    void addFollowedItem(const QString &name);
    void setCheckedInChecklist(const QString &name, bool checked);

    TallyTable m_table;
    TallyFile m_file;
    QListWidget *m_listboxTally = nullptr;
    QListWidget *m_checklist = nullptr;
    std::array<QLabel *, 5> m_mylabel{};
    std::array<QLabel *, 9> m_label{};
    QLabel *m_labelHisname = nullptr;
    QLabel *m_labelHisnametop = nullptr;
    QPushButton *m_buttonReset = nullptr;
    QPushButton *m_buttonDone = nullptr;
};
