#pragma once

#include "app/WindowServices.h"

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
    // The font the message is drawn in: the label's own, or smaller where that would not fit.
    QFont fittedFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// What the scan and move windows share: while one is open it stands in for the main window.
class ProgressWindow : public AppWindow
{
    Q_OBJECT
public:
    ProgressWindow(Qt::WindowFlags flags, const QString &caption, QSize clientSize);

    void Form_Load() override;
    void Form_Unload() override;

    MessageLabel *Label1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace arvelo
