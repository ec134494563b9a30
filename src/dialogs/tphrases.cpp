#include "dialogs/tphrases.h"

#include "common/guard.h"
#include "widgets/artwork.h"
#include "widgets/windowaccess.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tphrases::Tphrases(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Lexiclash - Phrase Buttons "));
    Artwork::tileBackground(this);
    // Light words on the dark tile.
    QPalette light = palette();
    light.setColor(QPalette::WindowText, Qt::white);

    auto *fields = new QGridLayout;
    for (int n = 1; n <= kPhrases; ++n) {
        auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
        label->setObjectName(QStringLiteral("label_phrase") + QString::number(n));
        label->setPalette(light);
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("phrase") + QString::number(n));
        field->setMaxLength(kMaxLength);
        field->setMinimumWidth(260);
        label->setBuddy(field);
        phrases[n - 1] = field;
        fields->addWidget(label, n - 1, 0);
        fields->addWidget(field, n - 1, 1);
    }
    auto *note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setObjectName(QStringLiteral("label_note"));
    QPalette red = note->palette();
    // A red that still reads on the dark tile.
    red.setColor(QPalette::WindowText, QColor(255, 160, 160));
    note->setPalette(red);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    connect(button_done, &QPushButton::clicked, this,
            [this] { guarded([this] { button_doneClick(); }); });

    auto *column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addWidget(note, 0, Qt::AlignHCenter);
    column->addWidget(button_done, 0, Qt::AlignHCenter);
    column->setSizeConstraint(QLayout::SetFixedSize);
    // Like the close box: the edits are dropped, only "Done" applies them.
    closeOnEscape(this, [this] { hide(); });
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
