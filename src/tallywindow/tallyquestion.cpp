#include "tallywindow/tallyquestion.h"

#include "common/replaceablehandler.h"

#include <QApplication>
#include <QMessageBox>

namespace {
ReplaceableHandler<bool(const QString &)> &question()
{
    static ReplaceableHandler<bool(const QString &)> handler([](const QString &text) {
        return QMessageBox::question(QApplication::activeWindow(),
                                     QApplication::applicationDisplayName(), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return handler;
}
} // namespace

namespace Tally {

void setYesNoHandler(std::function<bool(const QString &)> handler)
{
    question().set(std::move(handler));
}

bool askYesNo(const QString &text)
{
    return question()(text);
}

} // namespace Tally
