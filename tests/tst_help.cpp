#include "widgets/TextBox.h"

#include "MainWindow.h"

#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

// The help text as the user reads it, written out apart from the program's own copy; tabs,
// trailing blanks and CR LF breaks are escaped so that no editor can quietly change them.
// clang-format off
const QLatin1String ExpectedHelp(
    "What is it ?\r\nThis program can sort your songs by artists.\r\n"
    "It makes folders with the artists name\r\n"
    "and then moves it's songs into it's folder.\r\n\r\n\r\nButtons:\r\n\r\n"
    "-Scan : Scans the selected directory for\r\nsongs with the same artist\r\n\r\n"
    "-Help : This Screen\r\n\r\n-Remove artist from list :\r\n"
    "Removes the selected artist from the\r\nartists list.\r\n\r\n"
    "-Move files to folders named after the \r\n artist : Folders with the name of\r\n"
    "each formation in the list will be created\r\nand the songs of each formation will be\r\n"
    "moved to it's folder.\r\n\r\nOptions :\r\n\r\n-Overlook Spaces : This option removes the\r\n"
    "spaces form the artist's name.\r\nIt's best to be checked.\r\nExample :\r\n"
    "    if the option is not checked\r\n\t\"Corinna Vey\" and\r\n\t\"Corinna  Vey\"\r\n"
    "    will not be seen as the same name.\r\n    If it is checked, the displayed name\r\n"
    "    will be \"CorinnaVey\"\r\nThis option does not affect the names\r\n"
    "of the created folders. \r\n\r\n-Convert to Uppercase : if the option is\r\n"
    "checked the letters will be converted to\r\nuppercase.\r\nExample :\r\n    \"TolVAK\" and\r\n"
    "    \"Tolvak\" will not be considered\r\n    the same artist without this option.\r\n"
    "    If the option is checked, the displayed\r\n    name will be \"TOLVAK\"\r\n"
    "This option does not affect the names\r\nof the created folders.\r\n\r\n"
    "-Beautify folder names :\r\nThis option affects only the names of the\r\ncreated folders.\r\n"
    "Example :\r\n    \"LoRIn vE  cAstU\" will be turned into\r\n    \"Lorin Ve Castu\". And\r\n"
    "    \"TEOD    VARNEL\" into \"Teod Varnel\".\r\nThe option does not affect the displayed\r\n"
    "artist's name.\r\n\r\n-Scan folders names :\r\nIf the option is enabled the program also\r\n"
    "checks if a folder for the artist already\r\nexists.\r\nExample :\r\n"
    "   If in the selected folder you have a\r\n   directory \"Kelo\" and a file\r\n"
    "   \"Kelo - Dancing Queen\", the program\r\n   will move the file into the directory.\r\n"
    "Using this option you can see artists\r\nthat have two directories.\r\nExample :\r\n"
    "   If two directories with the names\r\n   \"Sandro Velacci\" and\r\n"
    "   \"Sandro   Velacci\", the artist will\r\n   appear in the artists list.\r\n"
    "This option is useful when you add\r\nnew songs to you collection.\r\n");
// clang-format on

class TestHelp : public QObject
{
    Q_OBJECT
    // The main window lists its start folder; keep that small and known.
    QTemporaryDir m_folder;

private slots:
    void cleanup() { unloadWindows(); }

    void textsAreExact()
    {
        QCOMPARE(QString(ExpectedHelp).count(u"\r\n"_s), 78);
        QCOMPARE(Help::helpText(), ExpectedHelp);
        const Help &help = Help::slot().show();
        QCOMPARE(help.Text1->Text(), ExpectedHelp);
        const frmAbout &about = frmAbout::slot().show();
        QCOMPARE((QStringList {help.windowTitle(), help.Command1->text(), help.Command2->text(),
                     about.windowTitle(), about.cmdOK->text(), about.lblTitle->text(),
                     about.lblVersion->text()}),
            (QStringList {u"Help"_s, u"OK, Ok ,Ok ..."_s, u"About"_s, u"About MyApp"_s, u"OK"_s,
                u"Arvelo"_s, u"Version 1.0"_s}));
    }

    void f1OpensTheOneHelpWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("helpOpen"); // behind the window where F1 is pressed
        QTest::newRow("Form1") << u"Form1"_s << false;
        QTest::newRow("Form1, Help behind") << u"Form1"_s << true;
        QTest::newRow("About, Help behind") << u"frmAbout"_s << true;
        QTest::newRow("Caut") << u"Caut"_s << false;
        QTest::newRow("Form2, Help behind") << u"Form2"_s << true;
    }

    void f1OpensTheOneHelpWindow()
    {
        QFETCH(QString, window);
        QFETCH(bool, helpOpen);
        const QPointer<Help> before = helpOpen ? &Help::slot().show() : nullptr;
        arvelo::AppWindow &pressed = window == u"Form1"_s ? Form1::slot().show(m_folder.path())
            : window == u"frmAbout"_s                     ? frmAbout::slot().show()
            : window == u"Caut"_s ? static_cast<arvelo::AppWindow &>(Caut::slot().show())
                                  : Form2::slot().show();
        QVERIFY(QTest::qWaitForWindowActive(&pressed));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QVERIFY(Help::slot().isOpen());
        if (helpOpen)
            QCOMPARE(Help::slot().get(), before.data());
        QTRY_COMPARE(QApplication::activeWindow(), Help::slot().get());
    }

    void closingUnloads_data()
    {
        // Keys named as QKeySequence spells them go to the focused OK button, or to the window.
        QTest::addColumn<QString>("how");
        for (const char *how : {"Help OK", "Help close box", "About OK", "About close box",
                 "Return", "Enter", "Esc", "window Return", "window Esc"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void closingUnloads()
    {
        QFETCH(QString, how);
        // Both windows are open; only the one addressed goes away.
        const bool closesHelp = how.startsWith(u"Help"_s);
        Help &help = Help::slot().show();
        frmAbout &about = frmAbout::slot().show();
        const QPointer<QWidget> target = closesHelp ? static_cast<QWidget *>(&help) : &about;
        if (how.endsWith(u"close box"_s))
            target->close();
        else if (how.endsWith(u"OK"_s))
            QTest::mouseClick(closesHelp ? help.Command1 : about.cmdOK, Qt::LeftButton);
        else
            QTest::keyClick(
                how.startsWith(u"window"_s) ? static_cast<QWidget *>(&about) : about.cmdOK,
                QKeySequence(how.section(u' ', -1))[0].key());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!target);
        QCOMPARE(Help::slot().isOpen(), !closesHelp);
        QCOMPARE(frmAbout::slot().isOpen(), closesHelp);
    }

    void typedTextIsGoneAfterReopening()
    {
        Help &help = Help::slot().show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        help.Text1->moveCursor(QTextCursor::End);
        QTest::keyClicks(help.Text1, u"my own notes"_s);
        QVERIFY(help.Text1->Text().endsWith(u"collection.\r\nmy own notes"_s));
        QVERIFY(help.Text1->verticalScrollBar()->value() > 0);
        QTest::mouseClick(help.Command1, Qt::LeftButton);
        Help &again = Help::slot().show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.Text1->Text(), ExpectedHelp);
        QCOMPARE(again.Text1->verticalScrollBar()->value(), 0);
        QCOMPARE(again.Text1->textCursor().position(), 0);
    }

    void eachWindowOpensOnceAndOutlivesTheMainWindow_data()
    {
        QTest::addColumn<bool>("aboutLast");
        QTest::newRow("Help closed last") << false;
        QTest::newRow("About closed last") << true;
    }

    void eachWindowOpensOnceAndOutlivesTheMainWindow()
    {
        QFETCH(bool, aboutLast);
        Form1 &form = Form1::slot().show(m_folder.path());
        QTest::mouseClick(form.Command4, Qt::LeftButton);
        Help *help = Help::slot().get();
        QVERIFY(help);
        QTest::mouseClick(form.Command4, Qt::LeftButton);
        QTest::mouseClick(help->Command2, Qt::LeftButton);
        frmAbout *about = frmAbout::slot().get();
        QTest::mouseClick(help->Command2, Qt::LeftButton);
        QCOMPARE(Help::slot().get(), help);
        QCOMPARE(frmAbout::slot().get(), about);
        // Nothing is modal: the main window, one Help and one About, all shown and usable.
        QCOMPARE(std::ranges::count_if(QApplication::topLevelWidgets(), &QWidget::isVisible), 3);
        QVERIFY(form.isEnabled() && !QApplication::activeModalWidget());

        // Quitting on the last window happens only inside the application's own event loop. A
        // step counts only if its window was still shown; none runs once the loop has ended.
        const QList<QPointer<arvelo::AppWindow>> order {&form,
            aboutLast ? static_cast<arvelo::AppWindow *>(help) : about,
            aboutLast ? static_cast<arvelo::AppWindow *>(about) : help};
        int closed = 0;
        QObject steps; // takes the pending steps with it, whatever happens
        for (int step = 0; step < order.size(); ++step)
            QTimer::singleShot(50 + 200 * step, &steps, [&closed, window = order.at(step)] {
                closed += window && window->isVisible() && window->close();
            });
        QTimer::singleShot(10000, &steps, [] { QCoreApplication::exit(1); }); // the guard
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(closed, 3);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
