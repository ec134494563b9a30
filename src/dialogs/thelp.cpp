#include "dialogs/thelp.h"

#include "common/guard.h"
#include "widgets/artwork.h"
#include "widgets/tag.h"
#include "widgets/windowaccess.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

namespace {

constexpr int kSideBarWidth = 137;
constexpr int kAboutTag = 10;

const std::array<const char *, Thelp::kPages> kCaptions = {
    "Overview", "Connecting", "Game Play", "Scoring", "Documentation", "License",
};

// The page texts are compiled in from resources/help/.
QString pageText(int page)
{
    QFile file(QStringLiteral(":/help/memo%1.txt").arg(page));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Lexiclash - Help File"));
    setFixedSize(521, 422);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    buildSideBar()->setGeometry(0, 0, kSideBarWidth, height());

    const int left = kSideBarWidth + 8;
    const int right = width() - 8;
    label_caption = new QLabel(QString::fromLatin1(kCaptions[0]), this);
    label_caption->setObjectName(QStringLiteral("label_caption"));
    label_caption->setAlignment(Qt::AlignCenter);
    QFont bold = label_caption->font();
    bold.setBold(true);
    bold.setPointSize(12);
    label_caption->setFont(bold);
    QPalette navy = label_caption->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label_caption->setPalette(navy);
    label_caption->setGeometry(left, 6, right - left, 24);

    pages_ = new QStackedWidget(this);
    pages_->setGeometry(left, 34, right - left, height() - 34 - 8);
    for (int page = 1; page <= kPages; ++page) {
        auto *browser = new QTextBrowser(pages_);
        browser->setObjectName(QStringLiteral("memo") + QString::number(page));
        browser->setAccessibleName(QString::fromLatin1(kCaptions[page - 1]));
        browser->setReadOnly(true);
        browser->setOpenLinks(false);
        browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        browser->setPlainText(pageText(page));
        memo[page - 1] = browser;
        pages_->addWidget(browser);
    }
    pages_->setCurrentWidget(memo[0]);
    closeOnEscape(this, [this] { guarded([this] { button_doneClick(); }); });
}

QWidget *Thelp::buildSideBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("panel_side"));
    Artwork::tileBackground(bar);

    constexpr int margin = 8;
    constexpr int buttonHeight = 26;
    const int buttonWidth = kSideBarWidth - 2 * margin;
    int y = margin;
    for (int page = 1; page <= kPages; ++page) {
        auto *button = new QPushButton(QString::fromLatin1(kCaptions[page - 1]), bar);
        button->setObjectName(QStringLiteral("SelButton") + QString::number(page));
        setTag(button, page);
        button->setGeometry(margin, y, buttonWidth, buttonHeight);
        connect(button, &QPushButton::clicked, this,
                [this, button] { guarded([this, button] { SelButton1Click(button); }); });
        SelButton[page - 1] = button;
        y += buttonHeight + 4;
    }

    button_about = new QPushButton(QStringLiteral("About"), bar);
    button_about->setObjectName(QStringLiteral("button_about"));
    setTag(button_about, kAboutTag);
    button_about->setGeometry(margin, y + 8, buttonWidth, buttonHeight);
    connect(button_about, &QPushButton::clicked, this,
            [this] { guarded([this] { button_aboutClick(); }); });

    auto *credits = new QLabel(QStringLiteral("Lexiclash\nby Quillmark\n\n"
                                              "Game design and programming:\nQuillmark\n\n"
                                              "www.quillmark.example"),
                               bar);
    credits->setObjectName(QStringLiteral("label_credits"));
    credits->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    credits->setWordWrap(true);
    QFont small = credits->font();
    small.setPointSize(7);
    credits->setFont(small);
    // Light letters, so the lines stand out on the dark tiles.
    QPalette light = credits->palette();
    light.setColor(QPalette::WindowText, Qt::white);
    credits->setPalette(light);
    const int creditsTop = y + 8 + buttonHeight + 12;
    const int doneTop = height() - margin - buttonHeight;
    credits->setGeometry(margin, creditsTop, buttonWidth, doneTop - creditsTop - 8);

    button_done = new QPushButton(QStringLiteral("Done"), bar);
    button_done->setObjectName(QStringLiteral("button_done"));
    setTag(button_done, kAboutTag);
    button_done->setGeometry(margin, doneTop, buttonWidth, buttonHeight);
    connect(button_done, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });
    return bar;
}

void Thelp::SelButton1Click(QPushButton *button)
{
    auto *page =
        pages_->findChild<QTextBrowser *>(QStringLiteral("memo") + QString::number(tagOf(button)));
    if (!page)
        return;
    pages_->setCurrentWidget(page);
    label_caption->setText(button->text());
}

void Thelp::button_aboutClick()
{
    emit aboutRequested();
}

void Thelp::button_doneClick()
{
    hide();
}

QTextBrowser *Thelp::currentPage() const
{
    return qobject_cast<QTextBrowser *>(pages_->currentWidget());
}
