#include "windows/Caut.h"

#include "widgets/Layout.h"

using namespace Qt::StringLiterals;

Caut::Caut()
    : ProgressWindow(arvelo::fixedWindowFlags(false), u"Caut"_s, u"Search in progres"_s,
        arvelo::twipsSize(3795, 945))
{
    setFixedSize(size());
    Label1->setGeometry(arvelo::twipsRect(0, 0, 3855, 975));
    Label1->setFont(arvelo::layoutFont(12));
    // The runs of blanks are what end the lines when the label wraps.
    Label1->setText(u"The program is scaning fo songs"_s + QString(13, u' ')
        + u"that have the same artist."_s + QString(27, u' ') + u"Please be patient "_s
        + QString(14, u'.'));
}
