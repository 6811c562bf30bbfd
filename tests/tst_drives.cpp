#include "core/Drives.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDrives : public QObject
{
    Q_OBJECT

private slots:
    void driveOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        const auto row = [](const char *tag, const char16_t *path, const char16_t *drive) {
            QTest::newRow(tag) << QString::fromUtf16(path) << QString::fromUtf16(drive);
        };
        row("root only", u"/home/ann", u"/");
        row("longest root wins", u"/media/stick/music", u"/media/stick");
        row("the root itself", u"/media/stick", u"/media/stick");
        row("a longer name is another drive", u"/media/sticky/x", u"/");
        row("cleaned before it is matched", u"/media/stick/../sticky", u"/");
        row("trailing separator on the path", u"/media/stick/", u"/media/stick");
        row("no root matches", u"/elsewhere", u"");
    }
    void driveOf()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        const QStringList roots {u"/media/stick/"_s, u"/mnt/cd"_s};
        QCOMPARE(
            arvelo::driveOf(path, drive.isEmpty() ? roots : roots + QStringList {u"/"_s}), drive);
    }
    void parentFolderOfATopFolderIsTheRoot() { QCOMPARE(arvelo::parentFolder(u"/x"_s), u"/"_s); }
};

QTEST_APPLESS_MAIN(TestDrives)
#include "tst_drives.moc"
