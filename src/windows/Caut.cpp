#include "windows/Caut.h"

#include <QLabel>

Caut::Caut()
    : ProgressWindow(arvelo::fixedWindowFlags(false), QStringLiteral("Search in progres"),
        arvelo::twipsSize(3795, 945))
{
    setObjectName(QStringLiteral("Caut"));
    setFixedSize(size());
    Label1->setGeometry(arvelo::twipsRect(0, 0, 3855, 975));
    Label1->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    Label1->setText(message());
}

arvelo::WindowSlot<Caut> &Caut::slot()
{
    static arvelo::WindowSlot<Caut> instance;
    return instance;
}

QString Caut::message()
{
    // The runs of blanks are what end the lines when the label wraps.
    return u"The program is scaning fo songs"_qs + QString(13, u' ')
        + u"that have the same artist."_qs + QString(27, u' ') + u"Please be patient "_qs
        + QString(14, u'.');
}
