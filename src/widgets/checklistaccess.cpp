#include "widgets/checklistaccess.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <QPointer>

#include <utility>

namespace {

const char kCheckListProperty[] = "lexiclashCheckList";

// One item of the list, found again through its model index while it exists.
class CheckItemAccess : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CheckItemAccess(QListWidget *list, const QModelIndex &index)
        : list_(list)
        , index_(index)
    {
    }

    bool isValid() const override { return list_ && index_.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    QString text(QAccessible::Text t) const override
    {
        const QListWidgetItem *shown = item();
        return t == QAccessible::Name && shown ? shown->text() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QListWidgetItem *shown = item();
        if (!shown)
            return {};
        const QRect area = list_->visualItemRect(shown);
        return QRect(list_->viewport()->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QListWidgetItem *shown = item();
        if (!shown) {
            state.invalid = true;
            return state;
        }
        state.checkable = true;
        state.checked = shown->checkState() == Qt::Checked;
        state.focusable = true;
        state.focused = list_->hasFocus() && list_->currentItem() == shown;
        state.selectable = true;
        state.selected = shown->isSelected();
        state.disabled = !list_->isEnabled();
        state.offscreen = !list_->viewport()->rect().intersects(list_->visualItemRect(shown));
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString &name) override
    {
        // Toggled as a click toggles it: the list reports the change.
        if (QListWidgetItem *shown = item(); shown && name == toggleAction())
            shown->setCheckState(shown->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    QModelIndex index() const { return index_; }

private:
    QListWidgetItem *item() const { return isValid() ? list_->item(index_.row()) : nullptr; }

    QPointer<QListWidget> list_;
    QPersistentModelIndex index_;
};

// The list itself: its children are the check boxes above, one per row, each
// made once and kept while its row lives.
class CheckListAccess : public QAccessibleWidget {
public:
    explicit CheckListAccess(QListWidget *list)
        : QAccessibleWidget(list, QAccessible::List)
    {
    }
    ~CheckListAccess() override
    {
        for (const QAccessible::Id id : std::as_const(items_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return list()->count(); }
    QAccessibleInterface *child(int position) const override
    {
        if (position < 0 || position >= list()->count())
            return nullptr;
        const QModelIndex index = list()->model()->index(position, 0);
        if (const auto found = items_.constFind(position); found != items_.constEnd()) {
            auto *known = static_cast<CheckItemAccess *>(QAccessible::accessibleInterface(*found));
            if (known && known->index() == index)
                return known;
            QAccessible::deleteAccessibleInterface(*found);
        }
        auto *made = new CheckItemAccess(list(), index);
        items_.insert(position, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = items_.constBegin(); it != items_.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return child->isValid() ? it.key() : -1;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint inside = list()->viewport()->mapFromGlobal(QPoint(x, y));
        const QListWidgetItem *hit = list()->itemAt(inside);
        return hit ? child(list()->row(hit)) : nullptr;
    }

private:
    QListWidget *list() const { return static_cast<QListWidget *>(widget()); }

    mutable QHash<int, QAccessible::Id> items_;
};

QAccessibleInterface *checkListAccess(const QString &, QObject *object)
{
    auto *list = qobject_cast<QListWidget *>(object);
    if (list && list->property(kCheckListProperty).toBool())
        return new CheckListAccess(list);
    return nullptr;
}

} // namespace

void exposeAsCheckList(QListWidget *list)
{
    static const bool installed = [] {
        QAccessible::installFactory(checkListAccess);
        return true;
    }();
    Q_UNUSED(installed);
    list->setProperty(kCheckListProperty, true);
}
