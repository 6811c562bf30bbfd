#include "widgets/MessageBox.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace arvelo {

QString programTitle()
{
    return u"Arvelo"_s;
}

void showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok);
    box.exec();
}

bool askYesNo(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace arvelo
