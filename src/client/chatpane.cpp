#include "client/chatpane.h"

#include "common/guard.h"
#include "model/gamemodel.h"
#include "session/gameintents.h"
#include "widgets/colourpalette.h"
#include "widgets/weblink.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

const QString ChatPane::kEnterChatHere = QStringLiteral("<Enter Chat Here>");

namespace {

const std::array<const char *, ChatPane::kPhrases> kDefaultPhrases = {
    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",          "Brilliant!",
    "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!", "/me waves \"Good-Bye\"",
};

std::optional<QColor> askColour(const QColor &initial, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(initial, nullptr, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

} // namespace

ChatPane::ChatPane(const GameModel &model, QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , chooser_(askColour)
{
    setObjectName(QStringLiteral("panel_chat"));

    mainchat = new QTextEdit(this);
    mainchat->setObjectName(QStringLiteral("mainchat"));
    mainchat->setAccessibleName(QStringLiteral("Chat"));
    mainchat->setReadOnly(true);
    mainchat->setAcceptRichText(false);
    // A long session (or a flooding peer) must not grow the pane without end;
    // the oldest lines go first.
    mainchat->document()->setMaximumBlockCount(kMaxLines);
    mainchat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    mainchat->viewport()->setMouseTracking(true);
    mainchat->viewport()->installEventFilter(this);
    mainchat->viewport()->setCursor(Qt::ArrowCursor);
    // The selection stays visible when the pane loses the focus.
    QPalette panePalette = mainchat->palette();
    panePalette.setColor(QPalette::Inactive, QPalette::Highlight,
                         panePalette.color(QPalette::Active, QPalette::Highlight));
    panePalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         panePalette.color(QPalette::Active, QPalette::HighlightedText));
    mainchat->setPalette(panePalette);
    setTextSize(8);

    mychat = new QLineEdit(kEnterChatHere, this);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setAccessibleName(QStringLiteral("Chat entry"));
    mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    mychat->installEventFilter(this);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (int n = 1; n <= kPhrases; ++n) {
        auto *button = new QPushButton(QString::number(n), this);
        button->setObjectName(QStringLiteral("b_phrase") + QString::number(n));
        // Reached by Tab; Space and Enter send the phrase.
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAutoDefault(true);
        // Narrow, but never narrower than its number.
        button->setMinimumWidth(
            std::max(22, button->fontMetrics().horizontalAdvance(button->text()) + 10));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this,
                [this, n] { guarded([this, n] { b_phrase1Click(n); }); });
        b_phrase[n - 1] = button;
        setPhrase(n, QString::fromUtf8(kDefaultPhrases[n - 1]));
        buttons->addWidget(button);
    }

    phrasetimer = new QTimer(this);
    phrasetimer->setObjectName(QStringLiteral("phrasetimer"));
    phrasetimer->setSingleShot(true);
    phrasetimer->setInterval(kPhrasePauseMs);
    connect(phrasetimer, &QTimer::timeout, this,
            [this] { guarded([this] { phrasepauseTimer(); }); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addWidget(mainchat, 1);
    column->addWidget(mychat);
    column->addLayout(buttons);

    buildPopups();
    setTextColour(textcolour_);
}

void ChatPane::buildPopups()
{
    popup_mainchat = new QMenu(this);
    popup_mainchat->setObjectName(QStringLiteral("popup_mainchat"));
    Copy1 = popup_mainchat->addAction(QStringLiteral("Copy"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    ScrollChatOff2 = popup_mainchat->addAction(QStringLiteral("Scroll Chat Off"));
    ScrollChatOff2->setObjectName(QStringLiteral("ScrollChatOff2"));
    ScrollChatOff2->setCheckable(true);
    ScrollChatOff2->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    ClearMainChat2 = popup_mainchat->addAction(QStringLiteral("Clear Main Chat"));
    ClearMainChat2->setObjectName(QStringLiteral("ClearMainChat2"));

    popup_mychat = new QMenu(this);
    popup_mychat->setObjectName(QStringLiteral("popup_mychat"));
    Paste1 = popup_mychat->addAction(QStringLiteral("Paste"));
    Paste1->setObjectName(QStringLiteral("Paste1"));
    Paste1->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));

    connect(Copy1, &QAction::triggered, this, [this] { guarded([this] { Copy1Click(); }); });
    // A checkable item ticks itself on a click; the handler sets the tick from
    // its own state, so undo Qt's toggle first.
    connect(ScrollChatOff2, &QAction::triggered, this, [this](bool checked) {
        ScrollChatOff2->setChecked(!checked);
        guarded([this] { ScrollChatOff1Click(); });
    });
    connect(ClearMainChat2, &QAction::triggered, this,
            [this] { guarded([this] { ClearMainChat1Click(); }); });
    connect(Paste1, &QAction::triggered, this, [this] { guarded([this] { Paste1Click(); }); });
    connect(mainchat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { popup_mainchat->popup(mainchat->mapToGlobal(pos)); });
    connect(mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { popup_mychat->popup(mychat->mapToGlobal(pos)); });
}

void ChatPane::setIntents(GameIntents *intents)
{
    intents_ = intents;
}

void ChatPane::setColourChooser(ColourChooser chooser)
{
    chooser_ = std::move(chooser);
}

void ChatPane::setOptionsScrollItem(QAction *item)
{
    optionsScroll_ = item;
    optionsScroll_->setChecked(ScrollChatOff2->isChecked());
}

void ChatPane::sendit()
{
    if (!model_.loggedIn())
        return;
    const QString text = mychat->text();
    if (!text.isEmpty() && intents_) {
        if (!text.startsWith(QLatin1Char('/')))
            intents_->chat(text, colourToText(textcolour_));
        else if (text.startsWith(QLatin1String("/me")))
            // The fourth character is dropped whatever it is: "/mew" sends an empty action.
            intents_->act(text.mid(4), colourToText(actioncolour_));
    }
    mychat->clear();
}

bool ChatPane::mychatKeyDown(QKeyEvent *event)
{
    if (mychat->text() == kEnterChatHere)
        mychat->clear();
    // The paste key does what the pop-up's "Paste" does, not the field's own
    // paste at the caret.
    if (event->matches(QKeySequence::Paste)) {
        Paste1Click();
        return true;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        sendit();
        return true;
    }
    return false;
}

void ChatPane::b_phrase1Click(int n)
{
    if (!phraseready_ || n < 1 || n > kPhrases)
        return;
    const QString text = phrase(n);
    const QString colour = colourToText(actioncolour_);
    if (intents_) {
        if (text.startsWith(QLatin1String("/me ")))
            intents_->act(text.mid(4), colour);
        else
            intents_->sayPhrase(text, colour);
    }
    phraseready_ = false;
    phrasetimer->start();
}

void ChatPane::phrasepauseTimer()
{
    phrasetimer->stop();
    phraseready_ = true;
}

void ChatPane::setPhraseReady(bool ready)
{
    phraseready_ = ready;
    if (ready)
        phrasetimer->stop();
}

QString ChatPane::phrase(int n) const
{
    if (n < 1 || n > kPhrases)
        return {};
    return b_phrase[n - 1]->toolTip();
}

void ChatPane::setPhrase(int n, const QString &text)
{
    if (n < 1 || n > kPhrases)
        return;
    b_phrase[n - 1]->setToolTip(text);
    // A screen reader reads the phrase the button sends, not its number.
    b_phrase[n - 1]->setAccessibleName(text.isEmpty() ? QStringLiteral("Phrase Button %1").arg(n)
                                                      : text);
}

void ChatPane::chatrecieved(const Msg::RelayedLine &relayed)
{
    std::optional<QColor> colour;
    if (relayed.hasColour)
        colour = textToQColor(QString::fromLatin1(relayed.colour));
    addlinetochat(QString::fromUtf8(relayed.line), colour.value_or(QColor(255, 0, 0)));
}

void ChatPane::addlinetochat(const QString &text, const QColor &colour)
{
    mainchat->setUpdatesEnabled(false);
    QScrollBar *bar = mainchat->verticalScrollBar();
    const bool hold = scrollChatOff();
    const int firstVisible = bar->value();
    const QTextCursor viewCursor = mainchat->textCursor();

    const QColor ink = colour.isValid() ? colour : mainchat->palette().color(QPalette::Text);
    QTextCharFormat plain;
    plain.setForeground(ink);
    plain.setFontWeight(QFont::Normal);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);

    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    QTextCursor cursor(mainchat->document());
    cursor.movePosition(QTextCursor::End);
    if (!mainchat->document()->isEmpty())
        cursor.insertBlock(QTextBlockFormat(), plain);
    // Text from other players is inserted as text, never parsed as markup.
    cursor.insertText(text.left(colon + 1), bold);
    cursor.insertText(text.mid(colon + 1), plain);

    if (hold) {
        mainchat->setTextCursor(viewCursor);
        bar->setValue(firstVisible);
    } else {
        mainchat->setTextCursor(cursor);
        mainchat->ensureCursorVisible();
        bar->setValue(bar->maximum());
    }
    mainchat->setUpdatesEnabled(true);
    mainchat->viewport()->update();
}

void ChatPane::TextColor1Click()
{
    const std::optional<QColor> chosen = chooser_(textcolour_, QStringLiteral("Text Color"));
    if (!chosen)
        return;
    setTextColour(*chosen);
    emit settingsChanged();
}

void ChatPane::ActionColor1Click()
{
    const std::optional<QColor> chosen = chooser_(actioncolour_, QStringLiteral("Action Color"));
    if (chosen)
        actioncolour_ = *chosen;
    emit settingsChanged();
}

void ChatPane::N14Click(int size)
{
    setTextSize(size);
    emit settingsChanged();
}

void ChatPane::setTextSize(int size)
{
    QFont font = mainchat->font();
    font.setPointSize(size);
    mainchat->setFont(font);
}

void ChatPane::ScrollChatOff1Click()
{
    ScrollChatOff2->setChecked(!ScrollChatOff2->isChecked());
    if (optionsScroll_)
        optionsScroll_->setChecked(ScrollChatOff2->isChecked());
}

void ChatPane::ClearMainChat1Click()
{
    mainchat->clear();
    mychat->setFocus();
}

void ChatPane::Copy1Click()
{
    QGuiApplication::clipboard()->setText(mainchat->textCursor().selection().toPlainText());
}

void ChatPane::Paste1Click()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText())
        mychat->setText(data->text());
}

int ChatPane::characterAt(const QPoint &pos) const
{
    const QPoint docPoint = pos + QPoint(mainchat->horizontalScrollBar()->value(),
                                         mainchat->verticalScrollBar()->value());
    QTextDocument *document = mainchat->document();
    const int hit = document->documentLayout()->hitTest(docPoint, Qt::ExactHit);
    if (hit < 0)
        return -1;
    const QTextBlock block = document->findBlock(hit);
    const QTextLayout *layout = block.layout();
    if (!layout)
        return -1;
    const QTextLine line = layout->lineForTextPosition(hit - block.position());
    if (!line.isValid())
        return -1;
    const qreal x = docPoint.x() - layout->position().x();
    const int inBlock = line.xToCursor(x, QTextLine::CursorOnCharacter);
    if (inBlock >= block.length() - 1)
        return -1;
    return block.position() + inBlock;
}

namespace {

// The address under a document position, with its start in document terms.
WebAddress addressInDocument(const QTextDocument *document, int position)
{
    if (position < 0)
        return {};
    const QTextBlock block = document->findBlock(position);
    WebAddress found = webAddressAt(block.text(), position - block.position());
    if (found.isValid())
        found.start += block.position();
    return found;
}

} // namespace

void ChatPane::mainchatMouseMove(const QPoint &pos)
{
    const bool over = addressInDocument(mainchat->document(), characterAt(pos)).isValid();
    mainchat->viewport()->setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool ChatPane::mainchatMouseDown(const QPoint &pos, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return false;
    const WebAddress found = addressInDocument(mainchat->document(), characterAt(pos));
    if (!found.isValid())
        return false;
    QTextCursor selection(mainchat->document());
    selection.setPosition(int(found.start));
    selection.setPosition(int(found.start + found.length), QTextCursor::KeepAnchor);
    mainchat->setTextCursor(selection);
    QDesktopServices::openUrl(QUrl::fromUserInput(found.address));
    return true;
}

void ChatPane::mainchatMouseUp()
{
    mychat->setFocus();
}

void ChatPane::setTextColour(const QColor &colour)
{
    textcolour_ = colour;
    QPalette palette = mychat->palette();
    palette.setColor(QPalette::Text, colour);
    mychat->setPalette(palette);
}

void ChatPane::setActionColour(const QColor &colour)
{
    actioncolour_ = colour;
}

int ChatPane::textSize() const
{
    return mainchat->font().pointSize();
}

bool ChatPane::scrollChatOff() const
{
    return ScrollChatOff2->isChecked();
}

bool ChatPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mychat && event->type() == QEvent::KeyPress) {
        bool consumed = false;
        guarded([&] { consumed = mychatKeyDown(static_cast<QKeyEvent *>(event)); });
        return consumed;
    }
    if (watched == mainchat->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
            guarded([&] { mainchatMouseMove(pos); });
            break;
        }
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPoint pos = mouse->position().toPoint();
            const Qt::MouseButton button = mouse->button();
            bool opened = false;
            guarded([&] { opened = mainchatMouseDown(pos, button); });
            // The pane would move the caret and lose the address's selection.
            if (opened)
                return true;
            break;
        }
        case QEvent::MouseButtonRelease:
            guarded([&] { mainchatMouseUp(); });
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
