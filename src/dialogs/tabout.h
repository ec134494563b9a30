#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About window: the maker's web address and the version "1.0.3" (the
// same text the client sends at login).
class Tabout : public QWidget {
    Q_OBJECT
public:
    // The maker's web address, without a scheme.
    static const QString URL1;

    explicit Tabout(QWidget *parent = nullptr);

    // Opens the maker's web address in the default browser.
    void openLink();

    QLabel *version = nullptr;
    QLabel *Label7 = nullptr;
    QPushButton *button_done = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
