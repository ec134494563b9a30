#pragma once

#include "common/replaceablehandler.h"
#include "widgets/pressablelabel.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QUrl;

// The About window: the maker's logo and web address, the credit lines and
// the version "1.0.3" (the same text the client sends at login) followed by
// ".6". Clicking the logo or the address opens the address in the browser.
class Tabout : public QWidget {
    Q_OBJECT
public:
    // The maker's web address, without a scheme.
    static const QString URL1;
    // Hands a web address to the desktop (QDesktopServices by default).
    using LinkOpener = std::function<void(const QUrl &)>;

    explicit Tabout(QWidget *parent = nullptr);

    // Replaces what opens the web address (tests record it instead); an empty
    // opener restores the desktop's.
    void setLinkOpener(LinkOpener opener);
    // Opens "http://" + URL1; what the desktop makes of it is not reported.
    void openLink();
    // Closes the window, which only hides it.
    void button_doneClick();

    PressableLabel *Image5 = nullptr;
    PressableLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *version = nullptr;
    QLabel *Label9 = nullptr;
    QPushButton *button_done = nullptr;

private:
    QLabel *addLabel(const char *name, const QString &text, const QRect &geometry);

    ReplaceableHandler<void(const QUrl &)> opener_;
};
