#include "windows/frmAbout.h"

#include "widgets/Layout.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;
using arvelo::place;
using arvelo::twips;
using arvelo::twipsRect;

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *widget = place<QLabel>(parent, name, text, geometry);
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return widget;
}

QPalette blackText(QPalette palette)
{
    palette.setColor(QPalette::WindowText, Qt::black);
    return palette;
}

// The fallback for "MS Sans Serif" is wider than the original face; a caption that would be
// cut off grows to the right and down instead.
void fitCaption(QLabel *caption)
{
    caption->resize(caption->size().expandedTo(caption->sizeHint()));
}

} // namespace

// Kept out of the task bar, like a dialog box, with the close box and no other button.
frmAbout::frmAbout()
    : AppWindow((arvelo::fixedWindowFlags(true) & ~Qt::WindowType_Mask) | Qt::Tool, u"frmAbout"_s,
        u"About MyApp"_s, u"arvelo"_s)
{
    // A tool window would not keep the program running on its own; this one must.
    setAttribute(Qt::WA_QuitOnClose, true);

    const QSize client = arvelo::twipsSize(3510, 1620);
    setFixedSize(client);
    // Not placed by the window system: a fixed spot measured from the screen's corner.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint corner = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(QRect(corner + QPoint(twips(2340), twips(1935)), client));

    QLabel *picIcon = label(this, "picIcon", QString(), twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(arvelo::bundledIcon(u"arvelo"_s).pixmap(32, 32));

    cmdOK = place<QPushButton>(this, "cmdOK", u"OK"_s, twipsRect(240, 960, 540, 420));
    cmdOK->setDefault(true);

    // Author, contact and a request for reports, one a line.
    QLabel *lblDescription = label(this, "lblDescription",
        u"By the Arvelo authors\r\narvelo@example.org\r\nReport bugs and typos!"_s,
        twipsRect(1050, 720, 2325, 810));
    lblDescription->setWordWrap(true);
    lblDescription->setPalette(blackText(lblDescription->palette()));

    lblTitle = label(this, "lblTitle", u"Arvelo"_s, twipsRect(1320, 240, 765, 240));
    lblTitle->setFont(arvelo::layoutFont(12));
    lblTitle->setPalette(blackText(lblTitle->palette()));
    fitCaption(lblTitle);

    lblVersion = label(this, "lblVersion", u"Version 1.0"_s, twipsRect(2280, 360, 885, 225));
    fitCaption(lblVersion);

    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, [] { slot().unload(); });
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // "OK" is both the default and the cancel button.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        cmdOK->click();
    else
        AppWindow::keyPressEvent(event);
}
