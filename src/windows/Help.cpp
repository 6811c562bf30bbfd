#include "windows/Help.h"

#include "widgets/Layout.h"
#include "widgets/TextBox.h"
#include "windows/frmAbout.h"

#include <QFile>
#include <QPushButton>

#include <stdexcept>

using namespace Qt::StringLiterals;
using arvelo::place;
using arvelo::twipsRect;

namespace {

// F1 in any window opens this one help window, as the main window's "Help" does.
[[maybe_unused]] const bool HelpOnF1 = [] {
    arvelo::AppWindow::helpKey() = [] { Help::slot().show(); };
    return true;
}();

} // namespace

Help::Help()
    : AppWindow(arvelo::fixedWindowFlags(true), u"Help"_s, u"Help"_s, u"help"_s)
{
    setFixedSize(arvelo::twipsSize(4680, 5130));
    setFont(arvelo::layoutFont(9.75));

    // Made in the order Tab goes through them, which is Qt's tab order by default.
    Text1 = place(new arvelo::TextBox(this), "Text1", twipsRect(120, 120, 4455, 4215));
    Text1->setText(helpText());
    Command1 = place<QPushButton>(
        this, "Command1", u"OK, Ok ,Ok ..."_s, twipsRect(360, 4560, 1695, 375));
    Command2 = place<QPushButton>(this, "Command2", u"About"_s, twipsRect(2520, 4560, 1695, 375));

    Text1->setFocus();

    connect(Command1, &QPushButton::clicked, this, [] { slot().unload(); });
    connect(Command2, &QPushButton::clicked, this, [] { frmAbout::slot().show(); });
}

QString Help::helpText()
{
    // Kept byte for byte in the resource, CR LF breaks included.
    QFile file(u":/help.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The help text is missing from the program");
    return QString::fromUtf8(file.readAll());
}
