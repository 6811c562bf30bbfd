#include "windows/Form2.h"

#include <QLabel>

Form2::Form2()
    : ProgressWindow(arvelo::sizableWithoutControlBoxFlags(), QStringLiteral("Moving Files"),
        arvelo::twipsSize(3555, 990))
{
    setObjectName(QStringLiteral("Form2"));
    // Kept inside the window's client area so the message is never cut off at the right edge.
    Label1->setGeometry(arvelo::twipsRect(120, 120, 3555 - 2 * 120, 735));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(13.5);
    Label1->setFont(font);
    Label1->setText(u"Please be patient while the program is moving files."_qs);
}

arvelo::WindowSlot<Form2> &Form2::slot()
{
    static arvelo::WindowSlot<Form2> instance;
    return instance;
}
