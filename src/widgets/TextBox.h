#pragma once

#include <QPlainTextEdit>

namespace arvelo {

// A multi-line text box whose text breaks its lines with CR LF, as the program's texts are
// written; the editor underneath keeps paragraphs, so the breaks are converted at the edge.
class TextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const;
    // Shows the text from its first line, caret at the start.
    void setText(const QString &text);
};

} // namespace arvelo
