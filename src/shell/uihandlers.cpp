#include "shell/uihandlers.h"

#include "common/guard.h"
#include "common/messagebox.h"

#include <QApplication>
#include <QMessageBox>

void installUiHandlers()
{
    setMessageBoxHandler([](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Lexiclash"), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
    setErrorHandler([](const QString &message) { showMessage(message); });
}
