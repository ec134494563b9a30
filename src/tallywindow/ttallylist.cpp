#include "tallywindow/ttallylist.h"

#include "widgets/checklistaccess.h"

#include "common/errors.h"
#include "common/guard.h"
#include "tallywindow/tallyquestion.h"
#include "widgets/artwork.h"
#include "widgets/windowaccess.h"

#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString kZero = QStringLiteral("0");

QLabel *namedLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A list of names with a check box each.
QListWidget *namedList(const QString &name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    exposeAsCheckList(list);
    return list;
}

QListWidgetItem *checkableItem(const QString &text, bool checked)
{
    auto *item = new QListWidgetItem(text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_file(TallyFile::defaultPath())
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Lexiclash - Tally List"));
    // The main window's tiled background, with light words on it; the lists
    // keep their own light base and dark text.
    Artwork::tileBackground(this);
    QPalette light = palette();
    light.setColor(QPalette::WindowText, Qt::white);
    setPalette(light);
    buildControls();
    closeOnEscape(this, [this] { guarded([this] { button_doneClick(); }); });
    FormCreate();
}

Ttallylist::~Ttallylist()
{
    FormDestroy();
}

void Ttallylist::buildControls()
{
    auto *ownBox = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    auto *ownGrid = new QGridLayout(ownBox);
    const QStringList ownCaptions = {QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                     QStringLiteral("High Score:"),
                                     QStringLiteral("Nums of Words:")};
    for (int column = 1; column <= 4; ++column) {
        m_mylabel[column] = namedLabel(QStringLiteral("mylabel_%1").arg(column), kZero, ownBox);
        ownGrid->addWidget(new QLabel(ownCaptions[column - 1], ownBox), column - 1, 0);
        ownGrid->addWidget(m_mylabel[column], column - 1, 1);
    }

    auto *followedBox = new QGroupBox(QStringLiteral("Players Being Tallied"), this);
    m_listboxTally = namedList(QStringLiteral("listbox_tally"), followedBox);
    m_listboxTally->setAccessibleName(followedBox->title());
    (new QVBoxLayout(followedBox))->addWidget(m_listboxTally);

    auto *gameBox = new QGroupBox(QStringLiteral("Players In Current Game"), this);
    m_checklist = namedList(QStringLiteral("checklist"), gameBox);
    m_checklist->setAccessibleName(gameBox->title());
    (new QVBoxLayout(gameBox))->addWidget(m_checklist);

    auto *hisBox = new QGroupBox(this);
    auto *hisGrid = new QGridLayout(hisBox);
    m_labelHisnametop =
        namedLabel(QStringLiteral("label_hisnametop"), QStringLiteral("Opponent's Tally"), hisBox);
    m_labelHisname =
        namedLabel(QStringLiteral("label_hisname"), QStringLiteral("Opponent Wins:"), hisBox);
    hisGrid->addWidget(m_labelHisnametop, 0, 0, 1, 3);
    hisGrid->addWidget(new QLabel(QStringLiteral("Total"), hisBox), 1, 1);
    hisGrid->addWidget(new QLabel(QStringLiteral("Session"), hisBox), 1, 2);
    hisGrid->addWidget(new QLabel(QStringLiteral("Number of Games"), hisBox), 2, 0);
    hisGrid->addWidget(m_labelHisname, 3, 0);
    hisGrid->addWidget(new QLabel(QStringLiteral("Your Wins:"), hisBox), 4, 0);
    hisGrid->addWidget(new QLabel(QStringLiteral("Neither Won:"), hisBox), 5, 0);
    for (int column = 1; column <= 8; ++column) {
        m_label[column] = namedLabel(QStringLiteral("label_%1").arg(column), kZero, hisBox);
        const bool session = column >= TallyTable::kFirstSessionColumn;
        hisGrid->addWidget(m_label[column], 2 + (column - 1) % 4, session ? 2 : 1);
    }

    m_buttonReset = new QPushButton(QStringLiteral("Reset Tally"), this);
    m_buttonReset->setObjectName(QStringLiteral("button_reset"));
    m_buttonDone = new QPushButton(QStringLiteral("Done"), this);
    m_buttonDone->setObjectName(QStringLiteral("button_done"));

    auto *lists = new QHBoxLayout;
    lists->addWidget(followedBox);
    lists->addWidget(gameBox);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_buttonReset);
    buttons->addStretch();
    buttons->addWidget(m_buttonDone);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ownBox);
    layout->addLayout(lists);
    layout->addWidget(hisBox);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_checklist, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int position = m_checklist->row(item);
        guarded([this, position] { checklistClickCheck(position); });
    });
    // Handled once the check box's own change has finished: the handler may ask
    // a question and delete the very item that reported the change.
    connect(m_listboxTally, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const QPersistentModelIndex index(
            m_listboxTally->model()->index(m_listboxTally->row(item), 0));
        QMetaObject::invokeMethod(
            this,
            [this, index] {
                if (index.isValid())
                    guarded([this, &index] { listbox_tallyClickCheck(index.row()); });
            },
            Qt::QueuedConnection);
    });
    connect(m_listboxTally, &QListWidget::currentRowChanged, this,
            [this] { guarded([this] { listbox_tallyClick(); }); });
    connect(m_buttonReset, &QPushButton::clicked, this,
            [this] { guarded([this] { button_resetClick(); }); });
    connect(m_buttonDone, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });
}

void Ttallylist::FormCreate()
{
    // A damaged file is reported once, in a notice that nothing waits for:
    // the window starts at once, with the empty tally.
    try {
        m_table = m_file.load();
    } catch (const Error &error) {
        reportNotice(error.message());
    } catch (const std::exception &error) {
        reportNotice(QString::fromUtf8(error.what()));
    }
    loadtally();
}

void Ttallylist::FormDestroy()
{
    // The program is ending: nobody is left to answer a message box.
    try {
        m_file.save(m_table);
    } catch (const Error &error) {
        qWarning().noquote() << "Lexiclash: tally not saved:" << error.message();
    } catch (const std::exception &error) {
        qWarning().noquote() << "Lexiclash: tally not saved:" << error.what();
    }
}

void Ttallylist::loadtally()
{
    for (int column = 1; column <= 4; ++column)
        showOwnTotal(column);
    const QSignalBlocker blocker(m_listboxTally);
    m_listboxTally->clear();
    for (const QString &name : m_table.opponentNames())
        m_listboxTally->addItem(checkableItem(name, true));
}

void Ttallylist::showOwnTotal(int column)
{
    if (column >= 1 && column <= 4)
        m_mylabel[column]->setText(m_table.cell(column, 0));
}

void Ttallylist::addgame(const QString &winner)
{
    if (onLoadChecklist)
        onLoadChecklist();
    addtomineincrease(1);
    if (winner == TallyTable::kMineWinner)
        addtomineincrease(2);
    for (int position = 0; position < m_checklist->count(); ++position)
        m_table.countGameWith(m_checklist->item(position)->text(), winner);
    listbox_tallyClick();
}

void Ttallylist::addtomineincrease(int column)
{
    addit(column, 0);
    showOwnTotal(column);
}

void Ttallylist::addtomineset(int column, const QString &value)
{
    m_table.setCell(column, 0, value);
    showOwnTotal(column);
}

int Ttallylist::addit(int column, int row)
{
    return m_table.addit(column, row);
}

QString Ttallylist::mylabel_3Text() const
{
    return m_mylabel[3]->text();
}

void Ttallylist::setPlayersInGame(const QStringList &names)
{
    const QSignalBlocker blocker(m_checklist);
    m_checklist->clear();
    for (const QString &name : names)
        m_checklist->addItem(checkableItem(name, m_table.findOpponent(name) >= 0));
}

void Ttallylist::showCentredOn(const QWidget *window)
{
    if (window) {
        adjustSize();
        QRect frame = frameGeometry();
        frame.moveCenter(window->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void Ttallylist::addFollowedItem(const QString &name)
{
    const QSignalBlocker blocker(m_listboxTally);
    m_listboxTally->addItem(checkableItem(name, true));
}

// A check box in "Players In Current Game" tells whether that player is followed.
void Ttallylist::setCheckedInChecklist(const QString &name, bool checked)
{
    const QSignalBlocker blocker(m_checklist);
    for (int position = 0; position < m_checklist->count(); ++position) {
        QListWidgetItem *item = m_checklist->item(position);
        if (item->text().compare(name, Qt::CaseInsensitive) == 0)
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void Ttallylist::checklistClickCheck(int position)
{
    const QListWidgetItem *item = m_checklist->item(position);
    if (!item)
        return;
    const QString name = item->text();
    if (m_table.findOpponent(name) < 0) {
        m_table.addOpponent(name);
        addFollowedItem(name);
    }
    setCheckedInChecklist(name, true);
}

void Ttallylist::listbox_tallyClickCheck(int position)
{
    QListWidgetItem *item = m_listboxTally->item(position);
    if (!item || item->checkState() == Qt::Checked)
        return;
    const QString name = item->text();
    if (!Tally::askYesNo(QStringLiteral("This will delete ") + name +
                         QStringLiteral("'s Tally, Are you want to delete it?"))) {
        const QSignalBlocker blocker(m_listboxTally);
        item->setCheckState(Qt::Checked);
        return;
    }
    moverow(position + 1);
    {
        const QSignalBlocker blocker(m_listboxTally);
        delete m_listboxTally->takeItem(position);
    }
    if (m_table.findOpponent(name) < 0)
        setCheckedInChecklist(name, false);
    listbox_tallyClick();
}

void Ttallylist::moverow(int row)
{
    m_table.moverow(row);
}

void Ttallylist::listbox_tallyClick()
{
    const int position = m_listboxTally->currentRow();
    if (position < 0 || position + 1 >= m_table.rowCount())
        return;
    const int row = position + 1;
    for (int column = 1; column <= 8; ++column)
        m_label[column]->setText(m_table.cell(column, row));
    const QString name = m_table.cell(0, row);
    m_labelHisname->setText(name + QStringLiteral(" Wins:"));
    m_labelHisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::button_resetClick()
{
    if (!Tally::askYesNo(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    m_table.clear();
    {
        const QSignalBlocker blocker(m_listboxTally);
        m_listboxTally->clear();
    }
    {
        const QSignalBlocker blocker(m_checklist);
        for (int position = 0; position < m_checklist->count(); ++position)
            m_checklist->item(position)->setCheckState(Qt::Unchecked);
    }
    for (int column = 1; column <= 4; ++column)
        showOwnTotal(column);
    for (int column = 1; column <= 8; ++column)
        m_label[column]->setText(kZero);
}

void Ttallylist::button_doneClick()
{
    hide();
}
