#include "ByteTree.h"
#include "MainWindow.h"
#include "widgets/VolumeSource.h"

#include <QCheckBox>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

using namespace arvelo;

// Drives that are folders of a temporary tree; those in `down` count as unavailable too.
class FakeVolumes : public VolumeSource
{
public:
    QStringList list, down;
    QStringList roots() const override { return list; }
    bool isAvailable(const QString &root) const override
    {
        return !down.contains(root) && VolumeSource::isAvailable(root);
    }
};

class TestBrowsing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_root; // m_base as the system names it, links resolved
    std::shared_ptr<FakeVolumes> m_volumes = std::make_shared<FakeVolumes>();

    QString at(const QString &relative) const { return m_root + u'/' + relative; }
    Form1 &showForm(const QString &folder) { return Form1::slot().show(at(folder)); }
    QByteArray bytesFolder() const { return encodeName(at(u"B/caf"_s)) + '\xe9'; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        m_root = QDir(m_base.path()).canonicalPath();
        QCOMPARE(
            bytetree::make(m_root,
                {u"A/music/alpha/"_s, u"A/music/.hiddenDir/"_s, u"B/"_s, u"A/A - one.mp3"_s,
                    u"A/music/b - two.mp3"_s, u"A/music/a - one.mp3"_s, u"A/music/.hidden.mp3"_s,
                    u"A/music/notes.txt"_s, u"A/music/Sub/x - y.mp3"_s, u"B/c - three.mp3"_s,
                    u"NotAFolder"_s, u"A/music/link.mp3@"_s + at(u"A/music/notes.txt"_s),
                    u"A/music/broken.mp3@"_s + at(u"A/music/gone.txt"_s),
                    u"A/music/folderlink@"_s + at(u"A/music/Sub"_s)}),
            QByteArray());
        // A folder whose name is not UTF-8, as a file manager sends it in a drop.
        QCOMPARE(::mkdir(bytesFolder().constData(), 0755), 0);
        m_volumes->list = {at(u"A"_s), at(u"B"_s), at(u"Missing"_s), at(u"NotAFolder"_s)};
        VolumeSource::setStandard(m_volumes);
    }
    // Qt's own removal would not see it.
    void cleanupTestCase() { ::rmdir(bytesFolder().constData()); }
    void cleanup()
    {
        m_volumes->down.clear();
        unloadWindows();
    }
    void choosingADrive_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<int>("messages"); // none: the lists move to the drive chosen
        QTest::newRow("available") << u"B"_s << 0;
        QTest::newRow("root missing") << u"Missing"_s << 1;
        QTest::newRow("root is a file") << u"NotAFolder"_s << 1;
        QTest::newRow("drive to go back to fails") << u"Missing"_s << 2;
    }
    void choosingADrive()
    {
        QFETCH(QString, drive);
        QFETCH(int, messages);
        Form1 &form = showForm(u"A/music"_s);
        // Hidden entries and links to nothing or to folders are no files; hidden folders are
        // not listed either (the chain A, music, then alpha, folderlink, Sub).
        const QStringList music {u"a - one.mp3"_s, u"b - two.mp3"_s, u"link.mp3"_s, u"notes.txt"_s};
        QCOMPARE(form.File1->items(), music);
        QCOMPARE(form.Dir1->count(), 5);
        QVERIFY(form.Dir1->findItems(u".hiddenDir"_s, Qt::MatchExactly).isEmpty());

        MessageBoxAnswerer user(10);
        bool plain = true; // titled with the program's name, one button, no icon
        user.answer = [&](QMessageBox &box) {
            plain = plain && box.windowTitle() == u"Arvelo"_s && box.buttons().size() == 1
                && box.icon() == QMessageBox::NoIcon;
            // The drive to go back to fails too; should the handler keep retrying, it comes
            // back at the third message so the test still ends.
            if (messages == 2 && user.texts.size() != 1)
                m_volumes->down = user.texts.isEmpty() ? QStringList {at(u"A"_s)} : QStringList();
            box.accept();
            return true;
        };
        form.Drive1->setCurrentIndex(form.Drive1->findText(at(drive)));
        QTest::qWait(50);
        QCOMPARE(user.texts, QStringList(messages, u"The selected drive is not availible"_s));
        QVERIFY(plain);
        const QString shown = messages ? u"A/music"_s : drive;
        QCOMPARE(form.Drive1->Drive(), at(shown.section(u'/', 0, 0)));
        QCOMPARE(form.Dir1->Path(), at(shown));
        QCOMPARE(form.File1->items(), messages ? music : QStringList {u"c - three.mp3"_s});
    }

    void enterOpensAFolderAndListsItsFiles()
    {
        Form1 &form = showForm(u"A/music"_s);
        form.List1->setItemsInOrder({u"Kept artist"_s});
        form.List2->setItemsInOrder({u"Kept song"_s});
        form.Dir1->setCurrentItem(form.Dir1->findItems(u"Sub"_s, Qt::MatchExactly).value(0));
        QTest::keyClick(form.Dir1, Qt::Key_Return);
        QCOMPARE(form.Dir1->Path(), at(u"A/music/Sub"_s));
        QCOMPARE(form.File1->items(), QStringList {u"x - y.mp3"_s});
        // The keypad's Enter opens too: back up the chain to music.
        form.Dir1->setCurrentRow(1);
        QTest::keyClick(form.Dir1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(form.Dir1->Path(), at(u"A/music"_s));
        QCOMPARE(form.List1->items() + form.List2->items(),
            (QStringList {u"Kept artist"_s, u"Kept song"_s}));
    }

    void driveInUseStaysListedWhenItGoes()
    {
        Form1 &form = showForm(u"A/music"_s);
        m_volumes->list.removeOne(at(u"A"_s));
        form.Drive1->refresh();
        m_volumes->list.prepend(at(u"A"_s));
        QCOMPARE(form.Drive1->Drive(), at(u"A"_s));
    }

    void listsFollowOtherPrograms()
    {
        QCOMPARE(
            bytetree::make(at(u"A/music/alpha"_s), {u"gone.mp3"_s, u"keep.mp3"_s, u"old.mp3"_s}),
            QByteArray());
        Form1 &form = showForm(u"A/music/alpha"_s);
        form.File1->setListIndex(1);
        QProcess other;
        other.setWorkingDirectory(at(u"A/music/alpha"_s));
        other.start(u"/bin/sh"_s,
            {u"-c"_s,
                u"touch 'a new.mp3' 'b new.mp3' && rm gone.mp3 && mv old.mp3 renamed.mp3 "
                u"&& mkdir later"_s});
        QVERIFY(other.waitForFinished() && other.exitCode() == 0);
        QTRY_COMPARE_WITH_TIMEOUT(form.File1->items(),
            (QStringList {u"a new.mp3"_s, u"b new.mp3"_s, u"keep.mp3"_s, u"renamed.mp3"_s}), 2000);
        // Kept by name, not by its place in the list.
        QCOMPARE(form.File1->List(form.File1->ListIndex()), u"keep.mp3"_s);
        QCOMPARE(form.Dir1->findItems(u"later"_s, Qt::MatchExactly).size(), 1);
    }

    void droppingAFolder_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("shown"); // empty when the drop is refused
        const QUrl b = QUrl::fromLocalFile(at(u"B"_s));
        QTest::newRow("folder") << QList<QUrl> {b} << u"B"_s;
        QTest::newRow("folder named by bytes")
            << QList<QUrl> {QUrl::fromEncoded(b.toEncoded() + "/caf%E9")} << u"B/caf<e9>"_s;
        QTest::newRow("file") << QList<QUrl> {QUrl::fromLocalFile(at(u"A/A - one.mp3"_s))}
                              << QString();
        QTest::newRow("remote URL")
            << QList<QUrl> {QUrl(u"https://example.org"_s + b.path())} << QString();
        QTest::newRow("folder on another machine")
            << QList<QUrl> {QUrl(u"file://elsewhere"_s + b.path())} << QString();
        QTest::newRow("two folders")
            << QList<QUrl> {b, QUrl::fromLocalFile(at(u"A/music"_s))} << QString();
    }

    void droppingAFolder()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, shown);
        Form1 &form = showForm(u"A/music"_s);
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&form, &enter);
        // The cursor refuses what would be refused at the drop.
        QCOMPARE(enter.isAccepted(), !shown.isEmpty());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&form, &drop);
        const QString folder = at(bytetree::escaped(shown.isEmpty() ? u"A/music"_s : shown));
        QCOMPARE(form.Drive1->Drive(), at(shown.isEmpty() ? u"A"_s : u"B"_s));
        QCOMPARE(form.Dir1->Path(), folder);
        QCOMPARE(form.File1->Path(), folder);
    }

    // The Tab key goes through the controls in the order they are laid out, past the items of
    // the choosers, and from the last back to the first.
    void tabOrderFollowsTheLayout()
    {
        Form1 &form = showForm(u"A/music"_s);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.List2->setFocus();
        for (QWidget *next : std::initializer_list<QWidget *> {form.Dir1, form.File1, form.Drive1,
                 form.List1, form.Command1, form.Command4, form.Command2, form.Command3,
                 form.Check1, form.Check2, form.Check3, form.Check4, form.List2}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }
};

QTEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"
