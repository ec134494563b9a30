#include "dialogs/tabout.h"

#include "common/guard.h"
#include "common/version.h"
#include "widgets/artwork.h"
#include "widgets/pressablelabel.h"
#include "widgets/windowaccess.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

const QString Tabout::URL1 = QStringLiteral("www.quillmark.example");

Tabout::Tabout(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , opener_([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Lexiclash - About"));
    setFixedSize(304, 174);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Image5 = new PressableLabel(QString(), this);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setPixmap(Artwork::makerLogo());
    Image5->setAccessibleName(QStringLiteral("Quillmark"));
    Image5->setAccessibleDescription(QStringLiteral("Opens the maker's web site"));
    Image5->setGeometry((width() - Artwork::kLogoSize.width()) / 2, 4, Artwork::kLogoSize.width(),
                        Artwork::kLogoSize.height());

    Label7 = new PressableLabel(URL1, this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setGeometry(0, 60, width(), 16);
    Label7->setAccessibleName(URL1);
    QFont link = Label7->font();
    link.setBold(true);
    link.setUnderline(true);
    Label7->setFont(link);
    QPalette navy = Label7->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Label7->setPalette(navy);

    for (PressableLabel *clickable : {Image5, Label7})
        connect(clickable, &PressableLabel::pressed, this,
                [this] { guarded([this] { openLink(); }); });

    constexpr int lineHeight = 13;
    int y = 80;
    auto credit = [&](const char *name, const QString &text) {
        QLabel *label = addLabel(name, text, QRect(0, y, width(), lineHeight));
        QFont small = label->font();
        small.setPointSize(7);
        label->setFont(small);
        y += lineHeight;
        return label;
    };
    Label6 = credit("Label6", QStringLiteral("Lexiclash, a word game by Quillmark"));
    Label5 = credit("Label5", QStringLiteral("Game design and programming: Quillmark"));
    Label3 = credit("Label3", QStringLiteral("Artwork and sounds: Quillmark"));
    Label4 = credit("Label4", QStringLiteral("Thanks to every player who tested it"));
    Label2 = credit("Label2", QStringLiteral("Copyright 2006-2008 Quillmark"));

    // "Version", "1.0.3" and ".6" read as one version number.
    constexpr int versionTop = 152;
    Label1 = addLabel("Label1", QStringLiteral("Version"), QRect(8, versionTop, 54, 16));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    version = addLabel("version", QString::fromLatin1(kVersionText), QRect(62, versionTop, 40, 16));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label9 = addLabel("Label9", QStringLiteral(".6"), QRect(102, versionTop, 20, 16));
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(width() - 8 - 72, height() - 6 - 24, 72, 24);
    connect(button_done, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });
    closeOnEscape(this, [this] { guarded([this] { button_doneClick(); }); });
    setTabOrder(Image5, Label7);
    setTabOrder(Label7, button_done);
}

QLabel *Tabout::addLabel(const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(geometry);
    return label;
}

void Tabout::setLinkOpener(LinkOpener opener)
{
    opener_.set(std::move(opener));
}

void Tabout::openLink()
{
    opener_(QUrl(QStringLiteral("http://") + URL1));
}

void Tabout::button_doneClick()
{
    close();
}
