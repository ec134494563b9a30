#include "dialogs/tabout.h"

#include "common/guard.h"
#include "common/version.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

const QString Tabout::URL1 = QStringLiteral("www.quillmark.example");

Tabout::Tabout(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Lexiclash - About"));

    Label7 = new QLabel(URL1, this);
    Label7->setObjectName(QStringLiteral("Label7"));
    QFont link = Label7->font();
    link.setBold(true);
    link.setUnderline(true);
    Label7->setFont(link);
    Label7->setCursor(Qt::PointingHandCursor);
    Label7->installEventFilter(this);

    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    auto *label1 = new QLabel(QStringLiteral("Version "), this);
    label1->setObjectName(QStringLiteral("Label1"));
    version = new QLabel(QString::fromLatin1(kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    auto *label9 = new QLabel(QStringLiteral(".6"), this);
    label9->setObjectName(QStringLiteral("Label9"));
    versionRow->addStretch();
    versionRow->addWidget(label1);
    versionRow->addWidget(version);
    versionRow->addWidget(label9);
    versionRow->addStretch();

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    connect(button_done, &QPushButton::clicked, this, &QWidget::close);

    auto *column = new QVBoxLayout(this);
    column->addWidget(Label7, 0, Qt::AlignHCenter);
    column->addLayout(versionRow);
    column->addWidget(button_done, 0, Qt::AlignHCenter);
    setFixedSize(304, 174);
}

void Tabout::openLink()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + URL1));
}

bool Tabout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label7 && event->type() == QEvent::MouseButtonPress)
        guarded([this] { openLink(); });
    return QWidget::eventFilter(watched, event);
}
