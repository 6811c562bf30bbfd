#include "windows/Help.h"

#include "app/AppIcon.h"

#include "app/TextBox.h"
#include "windows/frmAbout.h"

#include <QFile>
#include <QPushButton>

#include <stdexcept>

using arvelo::twipsRect;

namespace {

QFont controlFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

Help::Help()
    : AppWindow(arvelo::fixedWindowFlags(true))
    , Text1(new arvelo::TextBox(this))
    , Command1(new QPushButton(QStringLiteral("OK, Ok ,Ok ..."), this))
    , Command2(new QPushButton(QStringLiteral("About"), this))
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("Help"));
    setWindowIcon(arvelo::helpIcon());
    setFixedSize(arvelo::twipsSize(4680, 5130));

    const QFont font = controlFont();
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(120, 120, 4455, 4215));
    Text1->setFont(font);
    Text1->setText(helpText());
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(360, 4560, 1695, 375));
    Command1->setFont(font);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twipsRect(2520, 4560, 1695, 375));
    Command2->setFont(font);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Help::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Help::Command2_Click);
}

arvelo::WindowSlot<Help> &Help::slot()
{
    static arvelo::WindowSlot<Help> instance;
    return instance;
}

QString Help::helpText()
{
    // Kept byte for byte in the resource, CR LF breaks included.
    QFile file(QStringLiteral(":/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The help text is missing from the program");
    return QString::fromUtf8(file.readAll());
}

void Help::Command1_Click()
{
    slot().unload();
}

void Help::Command2_Click()
{
    frmAbout::slot().show();
}
