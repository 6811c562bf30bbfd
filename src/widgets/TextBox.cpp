#include "widgets/TextBox.h"

#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace arvelo {

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Lines wrap at the box's width, at blanks where they can: the editor's own defaults.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control rather than into the text, as in a standard text box.
    setTabChangesFocus(true);
}

QString TextBox::Text() const
{
    return toPlainText().replace(u'\n', u"\r\n"_s);
}

void TextBox::setText(const QString &text)
{
    setPlainText(text);
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

} // namespace arvelo
