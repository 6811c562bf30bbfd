#pragma once

#include <QString>

namespace arvelo {

// The program's title, used as the caption of its message box.
QString programTitle();

// The program's one kind of message: modal to the whole program (exec() makes a box without a
// parent so), one OK button, no icon, the program's title.
void showMessage(const QString &text);

// The same box asking a question, with Yes and No; true for Yes.
bool askYesNo(const QString &text);

} // namespace arvelo
