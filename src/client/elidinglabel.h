#pragma once

#include <QLabel>

// A one-line label whose text, when wider than the label, is shown shortened
// with "…" instead of being cut mid-letter. text() always holds the whole
// text, and so does the accessible name a screen reader reads.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(const QString &text = {}, QWidget *parent = nullptr);

    // Sets the text; when it does not fit, the "…" replaces the end of it.
    void setText(const QString &text);
    // Sets head followed by tail; when they do not fit, only the head is
    // shortened so the tail (such as "'s turn.") is always seen.
    void setText(const QString &head, const QString &tail);
    // The text as it is drawn at the label's present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qsizetype tailLength_ = 0;
};
