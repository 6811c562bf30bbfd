#include "windows/frmAbout.h"

#include "app/AppIcon.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using arvelo::twips;
using arvelo::twipsRect;

namespace {

// Kept out of the task bar, like a dialog box, with the close box and no other button.
Qt::WindowFlags aboutWindowFlags()
{
    return (arvelo::fixedWindowFlags(true) & ~Qt::WindowType_Mask) | Qt::Tool;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *widget = new QLabel(text, parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
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

frmAbout::frmAbout()
    : AppWindow(aboutWindowFlags())
{
    // A tool window would not keep the program running on its own; this one must.
    setAttribute(Qt::WA_QuitOnClose, true);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About MyApp"));
    setWindowIcon(arvelo::appIcon());

    const QSize client = arvelo::twipsSize(3510, 1620);
    setFixedSize(client);
    // Not placed by the window system: a fixed spot measured from the screen's corner.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint corner = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(QRect(corner + QPoint(twips(2340), twips(1935)), client));

    picIcon = label(this, "picIcon", QString(), twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(arvelo::appIcon().pixmap(32, 32));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(240, 960, 540, 420));
    cmdOK->setDefault(true);

    lblDescription = label(this, "lblDescription", creditText(), twipsRect(1050, 720, 2325, 810));
    lblDescription->setWordWrap(true);
    lblDescription->setPalette(blackText(lblDescription->palette()));

    lblTitle = label(this, "lblTitle", QStringLiteral("Arvelo"), twipsRect(1320, 240, 765, 240));
    QFont titleFont(QStringLiteral("MS Sans Serif"), 12);
    titleFont.setStyleHint(QFont::SansSerif);
    lblTitle->setFont(titleFont);
    lblTitle->setPalette(blackText(lblTitle->palette()));
    fitCaption(lblTitle);

    lblVersion
        = label(this, "lblVersion", QStringLiteral("Version 1.0"), twipsRect(2280, 360, 885, 225));
    fitCaption(lblVersion);

    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

arvelo::WindowSlot<frmAbout> &frmAbout::slot()
{
    static arvelo::WindowSlot<frmAbout> instance;
    return instance;
}

QString frmAbout::creditText()
{
    return QStringLiteral("By the Arvelo authors\r\n"
                          "arvelo@example.org\r\n"
                          "Report bugs and typos!");
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // "OK" is both the default and the cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        cmdOK->click();
        break;
    default:
        AppWindow::keyPressEvent(event);
    }
}

void frmAbout::cmdOK_Click()
{
    slot().unload();
}
