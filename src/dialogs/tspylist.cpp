#include "dialogs/tspylist.h"

#include "common/guard.h"
#include "common/intconv.h"
#include "widgets/artwork.h"
#include "widgets/windowaccess.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

Tspylist::Tspylist(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Lexiclash - Spys"));

    Artwork::tileBackground(this);

    auto *caption = new QLabel(QStringLiteral("Spy List"), this);
    caption->setObjectName(QStringLiteral("label_caption"));
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    // Light words on the dark tile.
    QPalette light = caption->palette();
    light.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(light);

    listbox_spys = new QListWidget(this);
    listbox_spys->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys->setAccessibleName(QStringLiteral("Spy List"));
    listbox_spys->setMouseTracking(true);
    listbox_spys->viewport()->installEventFilter(this);
    listbox_spys->setContextMenuPolicy(Qt::CustomContextMenu);

    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    popup_kickhim = popup_kick->addAction(QStringLiteral("Remove From Game"));
    popup_kickhim->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim->setEnabled(false);
    connect(popup_kickhim, &QAction::triggered, this,
            [this] { guarded([this] { popup_kickhimClick(); }); });
    connect(listbox_spys, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // The line under the pointer now, not where it last moved.
        listbox_spysMouseMove(pos);
        popup_kick->popup(listbox_spys->viewport()->mapToGlobal(pos));
    });

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    connect(button_done, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });

    auto *column = new QVBoxLayout(this);
    column->addWidget(caption);
    column->addWidget(listbox_spys);
    column->addWidget(button_done, 0, Qt::AlignRight);
    setFixedSize(240, 220);
    closeOnEscape(this, [this] { guarded([this] { button_doneClick(); }); });
}

void Tspylist::addSpy(const QString &entry)
{
    listbox_spys->addItem(entry);
}

bool Tspylist::removeSpy(const QString &entry)
{
    for (int row = 0; row < listbox_spys->count(); ++row) {
        if (listbox_spys->item(row)->text() == entry) {
            delete listbox_spys->takeItem(row);
            return true;
        }
    }
    return false;
}

void Tspylist::setKickHandler(std::function<void(int)> handler)
{
    kick_ = std::move(handler);
}

void Tspylist::listbox_spysMouseMove(const QPoint &pos)
{
    QListWidgetItem *item = listbox_spys->itemAt(pos);
    hoverindex_ = item ? listbox_spys->row(item) : -1;
}

void Tspylist::popup_kickhimClick()
{
    if (!popup_kickhim->isEnabled())
        return;
    // A line that left since the pointer last moved names nobody.
    if (hoverindex_ < 0 || hoverindex_ >= listbox_spys->count())
        return;
    const QString line = listbox_spys->item(hoverindex_)->text();
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    int seat = 0;
    if (colon < 0 || !tryStrToInt(line.left(colon).toLatin1(), seat))
        return;
    if (kick_)
        kick_(seat);
}

void Tspylist::button_doneClick()
{
    hide();
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listbox_spys->viewport() && event->type() == QEvent::MouseMove) {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        guarded([&] { listbox_spysMouseMove(pos); });
    }
    return QWidget::eventFilter(watched, event);
}
