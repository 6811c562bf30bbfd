#include "app/Form1.h"
#include "app/TextBox.h"
#include "windows/Help.h"
#include "windows/frmAbout.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace arvelo;

namespace {

// The help text as the user reads it, line by line; tabs and trailing blanks are escaped so
// that no editor can quietly change them.
const char *const HelpLines[] = {
    "What is it ?",
    "This program can sort your songs by artists.",
    "It makes folders with the artists name",
    "and then moves it's songs into it's folder.",
    "",
    "",
    "Buttons:",
    "",
    "-Scan : Scans the selected directory for",
    "songs with the same artist",
    "",
    "-Help : This Screen",
    "",
    "-Remove artist from list :",
    "Removes the selected artist from the",
    "artists list.",
    "",
    "-Move files to folders named after the ",
    " artist : Folders with the name of",
    "each formation in the list will be created",
    "and the songs of each formation will be",
    "moved to it's folder.",
    "",
    "Options :",
    "",
    "-Overlook Spaces : This option removes the",
    "spaces form the artist's name.",
    "It's best to be checked.",
    "Example :",
    "    if the option is not checked",
    "\t\"Corinna Vey\" and",
    "\t\"Corinna  Vey\"",
    "    will not be seen as the same name.",
    "    If it is checked, the displayed name",
    "    will be \"CorinnaVey\"",
    "This option does not affect the names",
    "of the created folders. ",
    "",
    "-Convert to Uppercase : if the option is",
    "checked the letters will be converted to",
    "uppercase.",
    "Example :",
    "    \"TolVAK\" and",
    "    \"Tolvak\" will not be considered",
    "    the same artist without this option.",
    "    If the option is checked, the displayed",
    "    name will be \"TOLVAK\"",
    "This option does not affect the names",
    "of the created folders.",
    "",
    "-Beautify folder names :",
    "This option affects only the names of the",
    "created folders.",
    "Example :",
    "    \"LoRIn vE  cAstU\" will be turned into",
    "    \"Lorin Ve Castu\". And",
    "    \"TEOD    VARNEL\" into \"Teod Varnel\".",
    "The option does not affect the displayed",
    "artist's name.",
    "",
    "-Scan folders names :",
    "If the option is enabled the program also",
    "checks if a folder for the artist already",
    "exists.",
    "Example :",
    "   If in the selected folder you have a",
    "   directory \"Kelo\" and a file",
    "   \"Kelo - Dancing Queen\", the program",
    "   will move the file into the directory.",
    "Using this option you can see artists",
    "that have two directories.",
    "Example :",
    "   If two directories with the names",
    "   \"Sandro Velacci\" and",
    "   \"Sandro   Velacci\", the artist will",
    "   appear in the artists list.",
    "This option is useful when you add",
    "new songs to you collection.",
};

QString expectedHelpText()
{
    QString text;
    for (const char *line : HelpLines)
        text += QLatin1String(line) + QLatin1String("\r\n");
    return text;
}

template<typename W>
int openWindows()
{
    int count = 0;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (auto *window = qobject_cast<W *>(widget); window && !window->isUnloaded())
            ++count;
    }
    return count;
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void helpTextIsExact();
    void helpTextKeepsItsBlanksAndBreaks();
    void windowsAsLaidOut_data();
    void windowsAsLaidOut();
    void aboutSitsAtItsFixedPlace();
    void helpTabOrder();
    void helpTwiceOpensOneWindowBesideTheMainWindow();
    void aboutTwiceOpensOneWindow();
    void closingUnloads_data();
    void closingUnloads();
    void typedTextIsGoneAfterReopening();
    void secondaryWindowsOutliveTheMainWindow_data();
    void secondaryWindowsOutliveTheMainWindow();

private:
    QTemporaryDir m_folder;
};

void TestHelp::initTestCase()
{
    // The main window lists the current folder; keep that small and known.
    QVERIFY(m_folder.isValid());
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestHelp::cleanup()
{
    frmAbout::slot().unload();
    Help::slot().unload();
    Form1::slot().unload();
    processDeferredDeletes();
}

void TestHelp::helpTextIsExact()
{
    QCOMPARE(Help::helpText(), expectedHelpText());
    Help &help = Help::slot().show();
    QCOMPARE(help.Text1->Text(), expectedHelpText());
}

void TestHelp::helpTextKeepsItsBlanksAndBreaks()
{
    const QString text = Help::helpText();
    QCOMPARE(text.count(u"\r\n"_qs), 78);
    QCOMPARE(text.count(u'\n'), 78);
    QCOMPARE(text.count(u'\r'), 78);
    QVERIFY(text.endsWith(u"collection.\r\n"_qs));

    QStringList lines = text.split(u"\r\n"_qs);
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 78);

    QStringList tabbed, trailing, blankFirst;
    for (const QString &line : std::as_const(lines)) {
        if (line.startsWith(u'\t'))
            tabbed << line;
        if (line.endsWith(u' '))
            trailing << line;
        if (line.startsWith(u' ') && !line.startsWith(u"   "_qs))
            blankFirst << line;
    }
    QCOMPARE(tabbed, (QStringList {u"\t\"Corinna Vey\" and"_qs, u"\t\"Corinna  Vey\""_qs}));
    QCOMPARE(trailing,
        (QStringList {
            u"-Move files to folders named after the "_qs, u"of the created folders. "_qs}));
    QCOMPARE(blankFirst, QStringList {u" artist : Folders with the name of"_qs});
}

void TestHelp::windowsAsLaidOut_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twipsGeometry");
    QTest::addColumn<bool>("mayGrow");
    QTest::addColumn<qreal>("pointSize");

    const auto row = [](const char *window, const char *control, const char *caption,
                         QRect geometry, bool mayGrow, qreal pointSize) {
        QTest::addRow("%s.%s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control)
            << QString::fromLatin1(caption) << geometry << mayGrow << pointSize;
    };
    row("Help", "Text1", "", QRect(120, 120, 4455, 4215), false, 9.75);
    row("Help", "Command1", "OK, Ok ,Ok ...", QRect(360, 4560, 1695, 375), false, 9.75);
    row("Help", "Command2", "About", QRect(2520, 4560, 1695, 375), false, 9.75);
    row("frmAbout", "picIcon", "", QRect(240, 240, 540, 540), false, 0);
    row("frmAbout", "cmdOK", "OK", QRect(240, 960, 540, 420), false, 0);
    row("frmAbout", "lblDescription", "", QRect(1050, 720, 2325, 810), false, 0);
    row("frmAbout", "lblTitle", "Arvelo", QRect(1320, 240, 765, 240), true, 12);
    row("frmAbout", "lblVersion", "Version 1.0", QRect(2280, 360, 885, 225), true, 0);
}

void TestHelp::windowsAsLaidOut()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QRect, twipsGeometry);
    QFETCH(bool, mayGrow);
    QFETCH(qreal, pointSize);

    AppWindow *shown = nullptr;
    if (window == u"Help"_qs) {
        shown = &Help::slot().show();
        QCOMPARE(shown->windowTitle(), u"Help"_qs);
        QCOMPARE(shown->size(), twipsSize(4680, 5130));
        QCOMPARE(shown->windowType(), Qt::Window);
    } else {
        shown = &frmAbout::slot().show();
        QCOMPARE(shown->windowTitle(), u"About MyApp"_qs);
        QCOMPARE(shown->size(), twipsSize(3510, 1620));
        QCOMPARE(shown->windowType(), Qt::Tool);
    }
    QCOMPARE(shown->objectName(), window);
    QVERIFY(!shown->parentWidget());
    QCOMPARE(shown->minimumSize(), shown->maximumSize());
    QVERIFY(
        !(shown->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(shown->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!shown->windowIcon().isNull());

    auto *widget = shown->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QRect expected = twipsRect(
        twipsGeometry.x(), twipsGeometry.y(), twipsGeometry.width(), twipsGeometry.height());
    if (mayGrow) {
        QCOMPARE(widget->pos(), expected.topLeft());
        QVERIFY(widget->width() >= expected.width() && widget->height() >= expected.height());
        QVERIFY(widget->width() >= widget->sizeHint().width());
        QVERIFY(widget->height() >= widget->sizeHint().height());
    } else {
        QCOMPARE(widget->geometry(), expected);
    }
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), caption);
    else if (auto *label = qobject_cast<QLabel *>(widget); label && !caption.isEmpty())
        QCOMPARE(label->text(), caption);
    if (pointSize > 0) {
        QCOMPARE(widget->font().family(), u"MS Sans Serif"_qs);
        QCOMPARE(widget->font().pointSizeF(), pointSize);
    }
}

void TestHelp::aboutSitsAtItsFixedPlace()
{
    frmAbout &about = frmAbout::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QPoint corner = QGuiApplication::primaryScreen()->geometry().topLeft();
    QCOMPARE(about.geometry().topLeft(), corner + QPoint(twips(2340), twips(1935)));

    QVERIFY(about.testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(about.cmdOK->isDefault());
    QVERIFY(!about.picIcon->pixmap().isNull());
    const QStringList credits = about.lblDescription->text().split(u"\r\n"_qs);
    QCOMPARE(credits.size(), 3);
    QVERIFY(credits.at(1).contains(u'@'));
    // Three short lines fit the label without spilling out of the window.
    QVERIFY(about.lblDescription->heightForWidth(about.lblDescription->width())
        <= about.height() - about.lblDescription->y());
}

void TestHelp::helpTabOrder()
{
    Help &help = Help::slot().show();
    help.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&help));
    QCOMPARE(QApplication::focusWidget(), help.Text1);
    QTest::keyClick(help.Text1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), help.Command1);
    QTest::keyClick(help.Command1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), help.Command2);
    QCOMPARE(help.Text1->Text(), expectedHelpText());
}

void TestHelp::helpTwiceOpensOneWindowBesideTheMainWindow()
{
    Form1 &form = Form1::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    Help *first = Help::slot().get();
    QVERIFY(first);
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QCOMPARE(Help::slot().get(), first);
    QCOMPARE(openWindows<Help>(), 1);
    QVERIFY(first->isVisible());
    QVERIFY(!first->parentWidget());
    QCOMPARE(first->windowModality(), Qt::NonModal);

    QVERIFY(form.isVisible());
    QVERIFY(form.isEnabled());
    QVERIFY(!QApplication::activeModalWidget());

    // Opened on its first line, with more below to scroll to.
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QScrollBar *bar = first->Text1->verticalScrollBar();
    QCOMPARE(first->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(first->Text1->textCursor().position(), 0);
    QVERIFY(!first->Text1->isReadOnly());
}

void TestHelp::aboutTwiceOpensOneWindow()
{
    Help &help = Help::slot().show();
    QTest::mouseClick(help.Command2, Qt::LeftButton);
    frmAbout *first = frmAbout::slot().get();
    QVERIFY(first);
    QTest::mouseClick(help.Command2, Qt::LeftButton);
    QCOMPARE(frmAbout::slot().get(), first);
    QCOMPARE(openWindows<frmAbout>(), 1);
    QVERIFY(first->isVisible());
    QVERIFY(!first->parentWidget());
    QCOMPARE(Help::slot().get(), &help);
    QVERIFY(help.isVisible());
}

void TestHelp::closingUnloads_data()
{
    QTest::addColumn<QString>("how");
    for (const char *how : {"Help OK", "Help close box", "About OK", "About close box",
             "About Enter on OK", "About keypad Enter on OK", "About Escape on OK",
             "About Enter on window", "About Escape on window"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestHelp::closingUnloads()
{
    QFETCH(QString, how);
    // Both windows are open; only the one addressed goes away.
    Help &help = Help::slot().show();
    frmAbout &about = frmAbout::slot().show();
    const bool closesHelp = how.startsWith(u"Help"_qs);
    QPointer<AppWindow> target = closesHelp ? static_cast<AppWindow *>(&help) : &about;

    if (how == u"Help OK"_qs)
        QTest::mouseClick(help.Command1, Qt::LeftButton);
    else if (how == u"About OK"_qs)
        QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    else if (how.endsWith(u"close box"_qs))
        target->close();
    else {
        QWidget *receiver
            = how.endsWith(u"on OK"_qs) ? static_cast<QWidget *>(about.cmdOK) : &about;
        const Qt::Key key = how.contains(u"Escape"_qs) ? Qt::Key_Escape
            : how.contains(u"keypad"_qs)               ? Qt::Key_Enter
                                                       : Qt::Key_Return;
        QTest::keyClick(receiver, key);
    }
    processDeferredDeletes();

    QVERIFY(!target);
    QCOMPARE(Help::slot().isOpen(), !closesHelp);
    QCOMPARE(frmAbout::slot().isOpen(), closesHelp);
    if (closesHelp) {
        Help &again = Help::slot().show();
        QCOMPARE(again.Text1->Text(), expectedHelpText());
    } else {
        QVERIFY(frmAbout::slot().show().isVisible());
    }
}

void TestHelp::typedTextIsGoneAfterReopening()
{
    Help &help = Help::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    help.Text1->moveCursor(QTextCursor::End);
    QTest::keyClicks(help.Text1, u"my own notes"_qs);
    QTest::keyClick(help.Text1, Qt::Key_Return);
    QVERIFY(help.Text1->Text().endsWith(u"collection.\r\nmy own notes\r\n"_qs));
    QVERIFY(help.Text1->verticalScrollBar()->value() > 0);

    QTest::mouseClick(help.Command1, Qt::LeftButton);
    processDeferredDeletes();
    Help &again = Help::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.Text1->Text(), expectedHelpText());
    QCOMPARE(again.Text1->verticalScrollBar()->value(), 0);
    QCOMPARE(again.Text1->textCursor().position(), 0);
}

void TestHelp::secondaryWindowsOutliveTheMainWindow_data()
{
    QTest::addColumn<bool>("aboutLast");
    QTest::newRow("Help closed last") << false;
    QTest::newRow("About closed last") << true;
}

void TestHelp::secondaryWindowsOutliveTheMainWindow()
{
    QFETCH(bool, aboutLast);
    Form1 &form = Form1::slot().show();
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QTest::mouseClick(Help::slot().get()->Command2, Qt::LeftButton);
    QVERIFY(frmAbout::slot().isOpen());

    // The quit-on-last-window rule only acts inside the application's own event loop; each
    // step runs only if the program is still going when its turn comes.
    const QList<QPointer<AppWindow>> closingOrder {Form1::slot().get(),
        aboutLast ? static_cast<AppWindow *>(Help::slot().get()) : frmAbout::slot().get(),
        aboutLast ? static_cast<AppWindow *>(frmAbout::slot().get()) : Help::slot().get()};
    int stepsRun = 0;
    bool timedOut = false;
    QObject steps; // takes the pending steps with it, whatever happens
    for (int step = 0; step < closingOrder.size(); ++step) {
        QTimer::singleShot(50 + 200 * step, &steps, [&stepsRun, window = closingOrder.at(step)] {
            ++stepsRun;
            if (window)
                window->close();
        });
    }
    QTimer::singleShot(10000, &steps, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(stepsRun, 3);
    QVERIFY(!timedOut);
    QVERIFY(!Help::slot().isOpen());
    QVERIFY(!frmAbout::slot().isOpen());
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
