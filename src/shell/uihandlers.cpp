#include "shell/uihandlers.h"

#include "common/guard.h"
#include "common/messagebox.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>

namespace {
bool ending = false;
} // namespace

void installUiHandlers()
{
    setMessageBoxHandler([](const QString &text) {
        if (ending) {
            qWarning().noquote() << "Lexiclash message:" << text;
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Lexiclash"), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
    setErrorHandler([](const QString &message) { showMessage(message); });
    setNoticeHandler([](const QString &text) {
        if (ending) {
            qWarning().noquote() << "Lexiclash message:" << text;
            return;
        }
        auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Lexiclash"), text,
                                    QMessageBox::Ok);
        box->setTextFormat(Qt::PlainText);
        box->setModal(false);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
}

void closeMessageBoxesForGood()
{
    ending = true;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(top);
        if (!box)
            continue;
        // Notices belong to nobody and go at once; a modal box returns from
        // its wait and is ended by the one who opened it.
        if (box->testAttribute(Qt::WA_DeleteOnClose))
            delete box;
        else if (box->isVisible())
            box->done(QMessageBox::Ok);
    }
}
