#pragma once

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

// The phrase editor: ten fields phrase1 to phrase10, one per phrase button.
// "Done" hands the fields to the main window (signal done) and hides.
class Tphrases : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPhrases = 10;
    // The longest phrase a field takes.
    static constexpr int kMaxLength = 50;
    explicit Tphrases(QWidget *parent = nullptr);

    // The text of field n (1 to 10).
    QString phrase(int n) const;
    // Sets field n (1 to 10); a longer text is cut to kMaxLength.
    void setPhrase(int n, const QString &text);
    // Hands the fields on and hides the editor.
    void button_doneClick();

    std::array<QLineEdit *, kPhrases> phrases{};
    QPushButton *button_done = nullptr;

signals:
    // "Done" was pressed; the fields hold the phrases to use.
    void done();
};
