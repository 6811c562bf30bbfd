#include "windows/Form2.h"

#include "widgets/Layout.h"
#include "widgets/Twips.h"

using namespace Qt::StringLiterals;

Form2::Form2()
    : ProgressWindow(
        arvelo::sizableWithoutControlBoxFlags(), u"Moving Files"_s, arvelo::twipsSize(3555, 990))
{
    setObjectName(u"Form2"_s);
    // Kept inside the window's client area so the message is never cut off at the right edge.
    Label1->setGeometry(arvelo::twipsRect(120, 120, 3555 - 2 * 120, 735));
    Label1->setFont(arvelo::layoutFont(13.5));
    Label1->setText(u"Please be patient while the program is moving files."_s);
}
