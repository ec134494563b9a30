#include "dialogs/tphrases.h"

#include "common/guard.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tphrases::Tphrases(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Lexiclash - Phrase Buttons "));

    auto *fields = new QFormLayout;
    for (int n = 1; n <= kPhrases; ++n) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("phrase") + QString::number(n));
        field->setMaxLength(50);
        phrases[n - 1] = field;
        fields->addRow(QStringLiteral("Phrase Button %1:").arg(n), field);
    }
    auto *note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    QPalette red = note->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    note->setPalette(red);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    connect(button_done, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });

    auto *column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addWidget(note);
    column->addWidget(button_done, 0, Qt::AlignRight);
}

QString Tphrases::phrase(int n) const
{
    return n >= 1 && n <= kPhrases ? phrases[n - 1]->text() : QString();
}

void Tphrases::setPhrase(int n, const QString &text)
{
    if (n >= 1 && n <= kPhrases)
        phrases[n - 1]->setText(text);
}

void Tphrases::button_doneClick()
{
    emit done();
    hide();
}
