#pragma once

#include <QByteArray>
#include <QString>

class QPixmap;
class Tchat;

// What the programs that take the README's pictures share.

// Hands one server message to the window as if it had arrived on its connection.
void receive(Tchat &chat, const QByteArray &message);
// Makes chat a silent host's window at its default size and shows it. Only
// the model hears of the own seat: the dispatcher would answer the server.
void showAsHost(Tchat &chat, int seat);
// Writes a picture; false, and a line on stderr, when it cannot be written.
bool savePicture(const QPixmap &picture, const QString &path);
