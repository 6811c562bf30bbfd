#include "widgets/Application.h"
#include "widgets/TextBox.h"

#include "ByteTree.h"
#include "MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

// What only a real X server with a window manager shows: the titles it reads, the window it
// activates, where it puts the main window, and what the user is told after a move. Run by
// scripts/with-desktop; the X tools below see what the window manager sees.
class TestDesktop : public QObject
{
    Q_OBJECT

    // Output of an X tool, its command line split at blanks; empty when it fails.
    static QString x(const QString &command)
    {
        QStringList arguments = command.split(u' ');
        QProcess tool;
        tool.start(arguments.takeFirst(), arguments);
        if (!tool.waitForFinished(5000) || tool.exitCode() != 0)
            return {};
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    static QString id(const QWidget *window) { return QString::number(window->winId()); }

    // The window's title properties as the window manager reads them, "_NET_WM_NAME | WM_NAME".
    static QString title(const QWidget *window)
    {
        QStringList both;
        for (const QString &property : {u"_NET_WM_NAME"_s, u"WM_NAME"_s}) {
            const QString line = x(u"xprop -id "_s + id(window) + u' ' + property).trimmed();
            both.append(line.section(u" = "_s, 1).chopped(line.endsWith(u'"') ? 1 : 0).mid(1));
        }
        return both.join(u" | "_s);
    }

    // The window the window manager has made active.
    static WId activeWindow()
    {
        const QString line = x(u"xprop -root _NET_ACTIVE_WINDOW"_s);
        return line.section(u"# "_s, 1).trimmed().toULongLong(nullptr, 16);
    }

    // Where the window's client area stands on the screen, as the X server has it.
    static QRect placeOf(const QWidget *window)
    {
        const QString info = x(u"xwininfo -id "_s + id(window));
        const auto value = [&](const QString &name) {
            return QRegularExpression(name + u":\\s*(-?\\d+)"_s).match(info).captured(1).toInt();
        };
        return {value(u"Absolute upper-left X"_s), value(u"Absolute upper-left Y"_s),
            value(u"Width"_s), value(u"Height"_s)};
    }

    // The height of the frame above the client area, where the title bar is.
    static int titleBarHeight(const QWidget *window)
    {
        const QString line = x(u"xprop -id %1 _NET_FRAME_EXTENTS"_s.arg(id(window)));
        return line.section(u" = "_s, 1).section(u',', 2, 2).trimmed().toInt();
    }

    // Framed and shown by the window manager.
    static bool managed(const QWidget *window)
    {
        return x(u"xprop -id %1 WM_STATE"_s.arg(id(window))).contains(u"Normal"_s)
            && x(u"xprop -id %1 _NET_FRAME_EXTENTS"_s.arg(id(window))).contains(u" = "_s);
    }

    static QString xy(QPoint at) { return u"%1 %2"_s.arg(at.x()).arg(at.y()); }

    // A click of the user's mouse, delivered by the X server.
    static void click(const QWidget *control)
    {
        const QPoint at = control->mapToGlobal(control->rect().center());
        x(u"xdotool mousemove %1 click 1"_s.arg(xy(at)));
    }

    // Shown, and framed by the window manager.
    static void exposed(QWidget &window)
    {
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(managed(&window));
    }

    Form1 &mainWindow()
    {
        Form1 &form = Form1::slot().show(m_folder->path());
        exposed(form);
        return form;
    }

    std::optional<QTemporaryDir> m_folder;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        QVERIFY2(!x(u"xprop -root _NET_SUPPORTING_WM_CHECK"_s).isEmpty(),
            "no window manager: run through scripts/with-desktop");
    }

    void init()
    {
        m_folder.emplace();
        QVERIFY(m_folder->isValid());
    }

    void cleanup()
    {
        unloadWindows();
        m_folder.reset();
    }

    void titles_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main") << u"Form1"_s << u"Arvelo"_s;
        QTest::newRow("scan") << u"Caut"_s << u"Search in progres"_s;
        QTest::newRow("move") << u"Form2"_s << u"Moving Files"_s;
        QTest::newRow("help") << u"Help"_s << u"Help"_s;
        QTest::newRow("about") << u"frmAbout"_s << u"About MyApp"_s;
    }

    // Each window's title; and wherever the user left the main window, a progress window opens
    // in the middle of the screen, give or take its frame.
    void titles()
    {
        QFETCH(QString, window);
        QFETCH(QString, caption);
        // The main window stands in the middle, where the window manager would not put another.
        Form1 &form = mainWindow();
        QWidget *shown = window == u"Form1"_s ? static_cast<QWidget *>(&form)
            : window == u"Caut"_s             ? &Caut::slot().show()
            : window == u"Form2"_s            ? &Form2::slot().show()
            : window == u"Help"_s             ? static_cast<QWidget *>(&Help::slot().show())
                                              : &frmAbout::slot().show();
        exposed(*shown);
        QTRY_COMPARE(title(shown), caption + u" | "_s + caption);
        if (window == u"Caut"_s || window == u"Form2"_s) {
            const QPoint off
                = placeOf(shown).center() - shown->screen()->availableGeometry().center();
            QVERIFY2(std::abs(off.x()) <= 2 && std::abs(off.y()) <= titleBarHeight(shown),
                qPrintable(u"%1, %2 from the centre"_s.arg(off.x()).arg(off.y())));
        }
    }

    void shownWindowIsActive_data()
    {
        // The key that closes About, as xdotool names it; none: Help alone. Gone astray, Escape
        // would close Help and Enter would reach Help's text; the keypad's Enter is About's
        // like the other (tst_help).
        QTest::addColumn<QString>("key");
        QTest::newRow("Help") << QString();
        QTest::newRow("About, closed by Escape") << u"Escape"_s;
        QTest::newRow("About, closed by Enter") << u"Return"_s;
    }

    // Opened by the user's own clicks, the new window takes the keyboard from the one clicked;
    // then a key that closes About reaches About alone.
    void shownWindowIsActive()
    {
        QFETCH(QString, key);
        Form1 &form = mainWindow();
        QTRY_COMPARE(activeWindow(), form.winId());
        click(form.Command4);
        QTRY_VERIFY(Help::slot().isOpen());
        Help &help = *Help::slot().get();
        exposed(help);
        QWidget *window = &help;
        QWidget *control = help.Text1;
        if (!key.isEmpty()) {
            click(help.Command2);
            QTRY_VERIFY(frmAbout::slot().isOpen());
            window = frmAbout::slot().get();
            control = frmAbout::slot().get()->cmdOK;
        }
        QTRY_COMPARE(activeWindow(), window->winId());
        QTRY_COMPARE(QApplication::activeWindow(), window);
        QCOMPARE(QApplication::focusWidget(), control);
        if (key.isEmpty())
            return;
        x(u"xdotool key "_s + key);
        QTRY_VERIFY(!frmAbout::slot().isOpen());
        QVERIFY(Help::slot().isOpen());
        QCOMPARE(help.Text1->Text(), Help::helpText());
    }

    void mainWindowStaysPut_data()
    {
        QTest::addColumn<bool>("move");
        QTest::newRow("after a scan") << false;
        QTest::newRow("after a move") << true;
    }

    void mainWindowStaysPut()
    {
        QFETCH(bool, move);
        QCOMPARE(bytetree::make(m_folder->path(), {u"Zeta - one.mp3"_s, u"zeta - two.mp3"_s}),
            QByteArray());
        Form1 &form = mainWindow();
        if (move) {
            pressScan(form);
            exposed(form);
        }
        // The user drags the window by its title bar somewhere the window manager would not
        // put it, and goes on once it has settled there.
        QTRY_COMPARE(activeWindow(), form.winId());
        QTRY_COMPARE(form.geometry(), placeOf(&form));
        const QRect first = placeOf(&form);
        const QPoint grip = first.topLeft() + QPoint(first.width() / 2, -titleBarHeight(&form) / 2);
        const QPoint dropped = grip + QPoint(-131, 97);
        x(u"xdotool mousemove %1 sleep 0.1 mousedown 1 sleep 0.1 mousemove %2 sleep 0.1 "
          u"mousemove %3 sleep 0.1 mouseup 1"_s.arg(
              xy(grip), xy(grip + QPoint(-40, 30)), xy(dropped)));
        QTRY_COMPARE(placeOf(&form).topLeft(), first.topLeft() + dropped - grip);
        const QRect left = placeOf(&form);
        QTRY_COMPARE(form.geometry(), left);

        QTest::mouseClick(move ? form.Command3 : form.Command1, Qt::LeftButton);
        QTRY_VERIFY(!Caut::slot().isOpen() && !Form2::slot().isOpen());
        exposed(form);
        QTRY_COMPARE(placeOf(&form), left);
        // And the keyboard is back with it.
        QTRY_COMPARE(activeWindow(), form.winId());
        QTRY_COMPARE(QApplication::activeWindow(), &form);
    }

    // What the user is told when some files stay, read as the window manager shows it. A move
    // with nothing to tell shows no box: mainWindowStaysPut's move would not get the keyboard
    // back if it did.
    void moveReport()
    {
        QCOMPARE(bytetree::make(m_folder->path(),
                     {u"Zeta/"_s, u"Zeta/Zeta - one.mp3"_s, u"Zeta - one.mp3"_s,
                         u"zeta - two.mp3"_s, u"Mira - 1.mp3"_s, u"mira - 2.mp3"_s}),
            QByteArray());
        Form1 &form = mainWindow();
        pressScan(form);
        exposed(form);
        QVERIFY(QFile::remove(m_folder->filePath(u"Mira - 1.mp3"_s)));

        // The message box is modal: read it from inside its own loop, then press Enter on it.
        QStringList seen;
        MessageBoxAnswerer user(50);
        user.answer = [&seen](QMessageBox &box) {
            // Enter goes where the window manager has put the keyboard: wait until that is the box.
            if (!box.isActiveWindow() || !seen.isEmpty())
                return false;
            seen = QStringList {box.text(), title(&box), QString::number(box.buttons().size()),
                QString::number(int(box.icon()))};
            connect(&box, &QDialog::finished, &box, [&seen](int result) {
                seen.append(result == QMessageBox::Ok ? u"OK pressed"_s : u"not closed"_s);
            });
            x(u"xdotool key Return"_s);
            // Should the key go astray, the test fails on that, not on a hang.
            QTimer::singleShot(3000, &box, [&box] { box.done(-1); });
            return true;
        };
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QTRY_VERIFY(!Form2::slot().isOpen() && form.isVisible());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(seen,
            (QStringList {u"2 files stayed where they were.\n\n"
                          u"A file of that name is already in the artist's folder: 1\n"
                          u"The file was no longer there: 1\n\n"
                          u"Mira - 1.mp3\nZeta - one.mp3\n\nPress Ctrl+Z to move them back."_s,
                u"Arvelo | Arvelo"_s, u"1"_s, QString::number(int(QMessageBox::NoIcon)),
                u"OK pressed"_s}));
        // Whatever was said, the main window has the keyboard afterwards.
        QTRY_COMPARE(QApplication::activeWindow(), &form);
    }
};

// The program's own application object, which names the program as the window manager sees it.
int main(int argc, char **argv)
{
    arvelo::Application app(argc, argv);
    TestDesktop test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_desktop.moc"
