#include "tallywindow/tallyquestion.h"

#include <QApplication>
#include <QMessageBox>

namespace {
std::function<bool(const QString &)> &handlerSlot()
{
    static std::function<bool(const QString &)> handler;
    return handler;
}
} // namespace

namespace Tally {

void setYesNoHandler(std::function<bool(const QString &)> handler)
{
    handlerSlot() = std::move(handler);
}

bool askYesNo(const QString &text)
{
    if (handlerSlot())
        return handlerSlot()(text);
    return QMessageBox::question(QApplication::activeWindow(),
                                 QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace Tally
