#include "widgets/windowaccess.h"

#include "widgets/pressablelabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QKeyEvent>

namespace {

class PressableAccess : public QAccessibleWidget {
public:
    explicit PressableAccess(PressableLabel *label)
        : QAccessibleWidget(label,
                            label->pixmap().isNull() ? QAccessible::Link : QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<QLabel *>(widget())->text();
        return own;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction()) {
            static_cast<PressableLabel *>(widget())->press();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

bool isSecondaryWindow(QWidget *widget)
{
    const Qt::WindowType type = widget->windowType();
    return widget->isWindow() && (type == Qt::Dialog || type == Qt::Tool) &&
           !qobject_cast<QDialog *>(widget);
}

QAccessibleInterface *programAccess(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<PressableLabel *>(object))
        return new PressableAccess(label);
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && isSecondaryWindow(widget))
        return new QAccessibleWidget(widget, QAccessible::Dialog);
    return nullptr;
}

class EscapeCloser : public QObject {
public:
    EscapeCloser(QWidget *window, std::function<void()> close)
        : QObject(window)
        , window_(window)
        , close_(std::move(close))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Key presses that no control took travel up to the window.
        if (watched == window_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
            static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            close_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *window_;
    std::function<void()> close_;
};

} // namespace

void installWindowAccess()
{
    static const bool installed = [] {
        QAccessible::installFactory(programAccess);
        return true;
    }();
    Q_UNUSED(installed);
}

void closeOnEscape(QWidget *window, std::function<void()> close)
{
    installWindowAccess();
    new EscapeCloser(window, std::move(close));
}
