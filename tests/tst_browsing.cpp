#include "app/Form1.h"

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace arvelo;

namespace {

// Drives that are folders of a temporary tree; some of them missing or not folders at all.
class FakeVolumes : public VolumeSource
{
public:
    QStringList list;
    QStringList roots() const override { return list; }
};

// Closes every message box that turns up, noting what it said.
class MessageCatcher : public QObject
{
public:
    MessageCatcher() { poll(); }

    QStringList texts;
    QStringList captions;
    bool plainOk = true;
    std::function<void(qsizetype seen)> onMessage;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box != m_last) {
            m_last = box;
            texts.append(box->text());
            captions.append(box->windowTitle());
            plainOk = plainOk && box->buttons().size() == 1 && box->icon() == QMessageBox::NoIcon;
            if (onMessage)
                onMessage(texts.size());
            box->buttons().constFirst()->click();
        }
        QTimer::singleShot(10, this, &MessageCatcher::poll);
    }

    QPointer<QMessageBox> m_last;
};

} // namespace

class TestBrowsing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void driveOfTakesTheLongestRoot_data();
    void driveOfTakesTheLongestRoot();
    void startShowsTheCurrentFolderWithoutHiddenEntries();
    void availableDriveMovesFolderAndFiles_data();
    void availableDriveMovesFolderAndFiles();
    void unavailableDriveIsReportedOnceAndPutBack_data();
    void unavailableDriveIsReportedOnceAndPutBack();
    void openingAFolderListsItsFiles_data();
    void openingAFolderListsItsFiles();
    void folderListPath_data();
    void folderListPath();
    void fileListKeepsItsListingUntilItsPathIsSet();
    void dropDownShowsNewlyMountedDrives();
    void tabReachesTheChoosers();

private:
    QString at(const QString &relative) const { return m_root + u'/' + relative; }
    Form1 &showForm(const QString &folder);

    QTemporaryDir m_base;
    QString m_root; // m_base as the system names it, links resolved
    std::shared_ptr<FakeVolumes> m_volumes = std::make_shared<FakeVolumes>();
    QString m_startFolder;
};

void TestBrowsing::initTestCase()
{
    QVERIFY(m_base.isValid());
    m_root = QDir(m_base.path()).canonicalPath();
    QDir base(m_root);
    for (const char *folder : {"A/music/Sub", "A/music/alpha", "A/music/.hiddenDir", "B"})
        QVERIFY(base.mkpath(QLatin1String(folder)));
    for (const char *file :
        {"A/A - one.mp3", "A/music/b - two.mp3", "A/music/a - one.mp3", "A/music/.hidden.mp3",
            "A/music/notes.txt", "A/music/Sub/x - y.mp3", "B/c - three.mp3", "NotAFolder"}) {
        QFile touch(at(QLatin1String(file)));
        QVERIFY(touch.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(at(u"A/music/notes.txt"_qs), at(u"A/music/link.mp3"_qs)));
    QVERIFY(QFile::link(at(u"A/music/gone.txt"_qs), at(u"A/music/broken.mp3"_qs)));
    QVERIFY(QFile::link(at(u"A/music/Sub"_qs), at(u"A/music/folderlink"_qs)));
    m_startFolder = QDir::currentPath();
    VolumeSource::setStandard(m_volumes);
}

void TestBrowsing::init()
{
    m_volumes->list
        = QStringList {at(u"A"_qs), at(u"B"_qs), at(u"Missing"_qs), at(u"NotAFolder"_qs)};
}

void TestBrowsing::cleanup()
{
    Form1::slot().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestBrowsing::cleanupTestCase()
{
    VolumeSource::setStandard(nullptr);
    QDir::setCurrent(m_startFolder);
}

Form1 &TestBrowsing::showForm(const QString &folder)
{
    QDir::setCurrent(folder);
    Form1 &form = Form1::slot().show();
    form.List1->AddItem(u"Kept artist"_qs);
    form.List2->AddItem(u"Kept song"_qs);
    return form;
}

void TestBrowsing::driveOfTakesTheLongestRoot_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("roots");
    QTest::addColumn<QString>("drive");
    const QStringList mounts {u"/"_qs, u"/media"_qs, u"/media/stick"_qs};
    QTest::newRow("deep") << u"/media/stick/a/b"_qs << mounts << u"/media/stick"_qs;
    QTest::newRow("the root itself") << u"/media/stick"_qs << mounts << u"/media/stick"_qs;
    QTest::newRow("name sharing a prefix") << u"/media/sticky"_qs << mounts << u"/media"_qs;
    QTest::newRow("only the system root") << u"/home/x"_qs << mounts << u"/"_qs;
    QTest::newRow("no drive") << u"/home/x"_qs << QStringList {u"/media"_qs} << QString();
}

void TestBrowsing::driveOfTakesTheLongestRoot()
{
    QFETCH(QString, path);
    QFETCH(QStringList, roots);
    QFETCH(QString, drive);
    QCOMPARE(driveOf(path, roots), drive);
}

void TestBrowsing::startShowsTheCurrentFolderWithoutHiddenEntries()
{
    Form1 &form = showForm(at(u"A/music"_qs));
    QCOMPARE(form.Drive1->Drive(), at(u"A"_qs));
    QCOMPARE(form.Dir1->Path(), at(u"A/music"_qs));
    QCOMPARE(form.File1->Path(), at(u"A/music"_qs));
    // Links to files count as files; links that lead nowhere or to folders do not.
    QStringList files {u"a - one.mp3"_qs, u"b - two.mp3"_qs, u"notes.txt"_qs, u"link.mp3"_qs};
    ListOrder().sort(files);
    QCOMPARE(form.File1->items(), files);
    // The chain starts at the drive's root, then come the visible sub-folders.
    QStringList folders;
    for (int row = 0; row < form.Dir1->count(); ++row)
        folders.append(form.Dir1->folderAt(row));
    QStringList children {
        at(u"A/music/alpha"_qs), at(u"A/music/folderlink"_qs), at(u"A/music/Sub"_qs)};
    ListOrder().sort(children);
    QCOMPARE(folders, QStringList({at(u"A"_qs), at(u"A/music"_qs)}) + children);
    QCOMPARE(form.Dir1->currentRow(), 1);
}

void TestBrowsing::availableDriveMovesFolderAndFiles_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("user picks the next drive") << true;
    QTest::newRow("program sets a path on it") << false;
}

void TestBrowsing::availableDriveMovesFolderAndFiles()
{
    QFETCH(bool, byKeyboard);
    Form1 &form = showForm(at(u"A/music"_qs));
    MessageCatcher messages;
    if (byKeyboard)
        QTest::keyClick(form.Drive1, Qt::Key_Down);
    else
        form.Drive1->setDrive(at(u"B/not/there"_qs));
    QCOMPARE(form.Drive1->Drive(), at(u"B"_qs));
    QCOMPARE(form.Dir1->Path(), at(u"B"_qs));
    QCOMPARE(form.File1->Path(), at(u"B"_qs));
    QCOMPARE(form.File1->items(), QStringList {u"c - three.mp3"_qs});
    QCOMPARE(form.List1->items(), QStringList {u"Kept artist"_qs});
    QCOMPARE(form.List2->items(), QStringList {u"Kept song"_qs});
    QTest::qWait(50);
    QCOMPARE(messages.texts.size(), 0);
}

void TestBrowsing::unavailableDriveIsReportedOnceAndPutBack_data()
{
    QTest::addColumn<QString>("drive");
    QTest::addColumn<bool>("restoreFailsToo");
    QTest::newRow("root missing") << u"Missing"_qs << false;
    QTest::newRow("root is a file") << u"NotAFolder"_qs << false;
    QTest::newRow("drive to go back to vanishes") << u"Missing"_qs << true;
}

void TestBrowsing::unavailableDriveIsReportedOnceAndPutBack()
{
    QFETCH(QString, drive);
    QFETCH(bool, restoreFailsToo);
    Form1 &form = showForm(at(u"A/music"_qs));
    const QStringList filesBefore = form.File1->items();
    MessageCatcher messages;
    QDir base(m_root);
    // Should the handler keep trying, the drive comes back at the third message so the
    // test still ends.
    messages.onMessage = [&base, restoreFailsToo](qsizetype seen) {
        if (restoreFailsToo && seen == 1)
            QVERIFY(base.rename(u"A"_qs, u"A-away"_qs));
        else if (restoreFailsToo && seen == 3)
            QVERIFY(base.rename(u"A-away"_qs, u"A"_qs));
    };
    form.Drive1->setCurrentIndex(form.Drive1->findText(at(drive)));
    if (QFileInfo::exists(at(u"A-away"_qs)))
        QVERIFY(base.rename(u"A-away"_qs, u"A"_qs));
    QTest::qWait(50);
    const QString message = u"The selected drive is not availible"_qs;
    QCOMPARE(messages.texts, QStringList(restoreFailsToo ? 2 : 1, message));
    QCOMPARE(messages.captions.first(), u"Arvelo"_qs);
    QVERIFY(messages.plainOk);
    // Back on the drive of the folder shown before, and that folder still shown.
    QCOMPARE(form.Drive1->Drive(), at(u"A"_qs));
    QCOMPARE(form.Dir1->Path(), at(u"A/music"_qs));
    QCOMPARE(form.File1->Path(), at(u"A/music"_qs));
    QCOMPARE(form.File1->items(), filesBefore);
}

void TestBrowsing::openingAFolderListsItsFiles_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("Enter on a sub-folder")
        << false << u"A/music/Sub"_qs << QStringList {u"x - y.mp3"_qs};
    QTest::newRow("double-click on a sub-folder")
        << true << u"A/music/Sub"_qs << QStringList {u"x - y.mp3"_qs};
    QTest::newRow("Enter on the drive's root")
        << false << u"A"_qs << QStringList {u"A - one.mp3"_qs};
}

void TestBrowsing::openingAFolderListsItsFiles()
{
    QFETCH(bool, doubleClick);
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    Form1 &form = showForm(at(u"A/music"_qs));
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    int row = 0;
    while (row < form.Dir1->count() && form.Dir1->folderAt(row) != at(folder))
        ++row;
    QVERIFY(row < form.Dir1->count());
    if (doubleClick) {
        const QRect place = form.Dir1->visualItemRect(form.Dir1->item(row));
        // As the window system delivers it: a click, then the double-click of the second press.
        QTest::mouseClick(form.Dir1->viewport(), Qt::LeftButton, {}, place.center());
        QTest::mouseDClick(form.Dir1->viewport(), Qt::LeftButton, {}, place.center());
    } else {
        form.Dir1->setCurrentRow(row);
        QTest::keyClick(form.Dir1, Qt::Key_Return);
    }
    QCOMPARE(form.Dir1->Path(), at(folder));
    QCOMPARE(form.File1->Path(), at(folder));
    QCOMPARE(form.File1->items(), files);
    QCOMPARE(form.Drive1->Drive(), at(u"A"_qs));
    QCOMPARE(form.List1->items(), QStringList {u"Kept artist"_qs});
    QCOMPARE(form.List2->items(), QStringList {u"Kept song"_qs});
}

void TestBrowsing::folderListPath_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("shown"); // empty: setting it throws
    QTest::addColumn<int>("changes");
    QTest::newRow("parent") << u"A/music"_qs << u"A/music"_qs << 1;
    QTest::newRow("same folder") << u"A/music/Sub"_qs << u"A/music/Sub"_qs << 0;
    QTest::newRow("its own drive") << u"A"_qs << u"A/music/Sub"_qs << 0;
    QTest::newRow("other drive") << u"B"_qs << u"B"_qs << 1;
    QTest::newRow("folder gone") << u"A/music/gone/deeper"_qs << u"A/music"_qs << 1;
    QTest::newRow("drive missing") << u"Missing"_qs << QString() << 0;
    QTest::newRow("drive is a file") << u"NotAFolder"_qs << QString() << 0;
    QTest::newRow("on no drive") << u"elsewhere"_qs << QString() << 0;
}

void TestBrowsing::folderListPath()
{
    QFETCH(QString, asked);
    QFETCH(QString, shown);
    QFETCH(int, changes);
    FolderList list;
    list.setPath(at(u"A/music/Sub"_qs));
    const int entries = list.count();
    QSignalSpy changed(&list, &FolderList::Change);
    if (shown.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(DriveNotAvailable, list.setPath(at(asked)));
        QCOMPARE(list.Path(), at(u"A/music/Sub"_qs));
        QCOMPARE(list.count(), entries);
    } else {
        list.setPath(at(asked));
        QCOMPARE(list.Path(), at(shown));
    }
    QCOMPARE(changed.count(), changes);
}

void TestBrowsing::fileListKeepsItsListingUntilItsPathIsSet()
{
    Form1 &form = showForm(at(u"A/music/Sub"_qs));
    QFile added(at(u"A/music/Sub/late - arrival.mp3"_qs));
    QVERIFY(added.open(QIODevice::WriteOnly));
    const auto cleanUp = qScopeGuard([&added] { added.remove(); });
    QCOMPARE(form.File1->items(), QStringList {u"x - y.mp3"_qs});
    form.Dir1->setPath(at(u"A/music"_qs));
    form.Dir1->setPath(at(u"A/music/Sub"_qs));
    QCOMPARE(form.File1->items(), (QStringList {u"late - arrival.mp3"_qs, u"x - y.mp3"_qs}));
}

void TestBrowsing::dropDownShowsNewlyMountedDrives()
{
    DriveList drives;
    drives.setDrive(at(u"A/music"_qs));
    QSignalSpy changed(&drives, &DriveList::Change);
    // A stick appears and the drive in use goes away; the list still names the drive in use.
    m_volumes->list = QStringList {at(u"B"_qs), at(u"Stick"_qs)};
    QCOMPARE(drives.findText(at(u"Stick"_qs)), -1);
    drives.showPopup();
    drives.hidePopup();
    QVERIFY(drives.findText(at(u"Stick"_qs)) >= 0);
    QCOMPARE(drives.Drive(), at(u"A"_qs));
    QCOMPARE(changed.count(), 0);
}

void TestBrowsing::tabReachesTheChoosers()
{
    Form1 &form = showForm(at(u"A/music"_qs));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.List2->setFocus();
    for (QWidget *next : {static_cast<QWidget *>(form.Dir1), static_cast<QWidget *>(form.File1),
             static_cast<QWidget *>(form.Drive1)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

QTEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"
