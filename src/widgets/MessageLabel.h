#pragma once

#include <QLabel>

namespace arvelo {

// A fixed message that always shows in full: a run of blanks ends a line, the rest wraps at
// blanks, and the font shrinks from its given size until the whole message fits the label.
class MessageLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The lines as shown, before wrapping.
    QString displayText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace arvelo
