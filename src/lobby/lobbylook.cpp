#include "lobby/lobbylook.h"

QString lobbyStyleSheet()
{
    return QStringLiteral(
        "QWidget#LobbyWindow, QStackedWidget, QWidget#page_list, QWidget#page_ingame"
        " { background: #1d2733; color: #eef2f6; }"
        "QLabel { color: #eef2f6; }"
        "QLabel#label_title { font-size: 16pt; font-weight: bold; color: #ffd08a; }"
        "QLabel#label_nameproblem, QLabel#label_status[error=\"true\"] { color: #ffb0a8; }"
        "QLabel#label_hint { color: #ffd08a; }"
        "QLineEdit, QComboBox, QTreeView { background: #0f151c; color: #eef2f6;"
        " border: 1px solid #5b6b7d; selection-background-color: #3a6ea5; }"
        "QHeaderView::section { background: #2b3846; color: #eef2f6; border: none; padding: 3px; }"
        "QPushButton { background: #2e5c8a; color: #ffffff; border: 1px solid #8fb3d9;"
        " padding: 5px 14px; }"
        "QPushButton:focus, QLineEdit:focus, QComboBox:focus, QTreeView:focus"
        " { border: 2px solid #ffd08a; }"
        "QPushButton:disabled { background: #2b3846; color: #a8b4c0; }");
}
