#include "app/Form1.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace arvelo;

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void startsWithCaptionsAsWritten_data();
    void startsWithCaptionsAsWritten();
    void startsIdle();
    void fileListShowsCurrentFolderWithoutHiddenFiles();
    void tabOrderFollowsTheLayout();
    void keyFollowsTheOptionsAtEveryCall();
    void sortedListsOrderItemsWhateverTheyArriveIn();
    void bulkFillMatchesOneByOne();
    void hiddenMainWindowDoesNotEndTheProgram();

private:
    QTemporaryDir m_folder;
    QString m_startFolder;
};

void TestForm1::initTestCase()
{
    QVERIFY(m_folder.isValid());
    for (const char *name : {"b - two.mp3", "A - one.mp3", ".hidden.mp3", "notes.txt"}) {
        QFile file(m_folder.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("Sub")));
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestForm1::cleanup()
{
    Form1::slot().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(m_folder.path());
}

void TestForm1::startsWithCaptionsAsWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const std::pair<const char *, const char *> rows[] = {
        {"Frame1", "Select folder :"},
        {"Frame2", "Files in selected folder :"},
        {"Frame3", "Select Drive :"},
        {"Frame4", "Artists :"},
        {"Frame5", "Selected artist's songs :"},
        {"Command1", "Scan"},
        {"Command4", "Help"},
        {"Command2", "Remove artist from list"},
        {"Command3", "Move files to folders named after the artist"},
        {"Check1", "Overlook spaces"},
        {"Check2", "Convert to Upercase"},
        {"Check3", "Beautify folder names"},
        {"Check4", "Scan folders names"},
    };
    for (const auto &[name, caption] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
}

void TestForm1::startsWithCaptionsAsWritten()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Form1 &form = Form1::slot().show();
    QCOMPARE(form.windowTitle(), u"Arvelo"_qs);
    auto *widget = form.findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        QCOMPARE(box->title(), caption);
    else if (auto *check = qobject_cast<QCheckBox *>(widget))
        QCOMPARE(check->text(), caption);
    else
        QCOMPARE(qobject_cast<QPushButton *>(widget)->text(), caption);
}

void TestForm1::startsIdle()
{
    Form1 &form = Form1::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (QCheckBox *box : {form.Check1, form.Check2, form.Check3, form.Check4})
        QVERIFY(box->isChecked());
    for (SortedListBox *list : {form.List1, form.List2, form.List3})
        QCOMPARE(list->ListCount(), 0);
    QVERIFY(form.List1->isVisible());
    QVERIFY(!form.List3->isVisible());
    for (QTimer *timer : {form.Timer1, form.Timer2}) {
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 100);
    }
    QCOMPARE(form.size(), twipsSize(8175, 6225));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(form.List1->geometry(), twipsRect(120, 240, 2175, 2595));
    QCOMPARE(form.List1->parentWidget(), form.Frame4);
}

void TestForm1::fileListShowsCurrentFolderWithoutHiddenFiles()
{
    Form1 &form = Form1::slot().show();
    QCOMPARE(form.File1->Path(), QDir(m_folder.path()).canonicalPath());
    QCOMPARE(form.Dir1->Path(), form.File1->Path());
    QCOMPARE(form.File1->items(), (QStringList{u"A - one.mp3"_qs, u"b - two.mp3"_qs,
                                                u"notes.txt"_qs}));
    QVERIFY(!form.Drive1->Drive().isEmpty());
}

void TestForm1::tabOrderFollowsTheLayout()
{
    Form1 &form = Form1::slot().show();
    const QList<QWidget *> expected{form.List2,    form.Dir1,     form.File1,  form.Drive1,
                                    form.List1,    form.Command1, form.Command4,
                                    form.Command2, form.Command3, form.Check1, form.Check2,
                                    form.Check3,   form.Check4};
    QWidget *widget = form.List2;
    for (qsizetype i = 1; i < expected.size(); ++i) {
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(&form));
        QCOMPARE(widget, expected.at(i));
    }
}

void TestForm1::keyFollowsTheOptionsAtEveryCall()
{
    Form1 &form = Form1::slot().show();
    const QString name = u" mira  vell - x.mp3"_qs;
    QCOMPARE(form.FCnv(name), u"MIRAVELL"_qs);
    form.Check1->setChecked(false);
    QCOMPARE(form.FCnv(name), u" MIRA  VELL"_qs);
    form.Check2->setChecked(false);
    QCOMPARE(form.FCnv(name), u" mira  vell"_qs);
    form.Check1->setChecked(true);
    QCOMPARE(form.FCnv(name), u"miravell"_qs);
}

void TestForm1::sortedListsOrderItemsWhateverTheyArriveIn()
{
    for (const char *locale : {"C", "en_US"}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        SortedListBox list;
        list.AddItem(u"beta"_qs);
        list.AddItem(u"Alpha"_qs);
        list.AddItem(u"alpha"_qs);
        list.AddItem(u"Gamma"_qs);
        list.AddItem(u"delta"_qs);
        QCOMPARE(list.items(),
                 (QStringList{u"Alpha"_qs, u"alpha"_qs, u"beta"_qs, u"delta"_qs, u"Gamma"_qs}));
    }
    QLocale::setDefault(QLocale::system());
}

void TestForm1::bulkFillMatchesOneByOne()
{
    const QStringList items{u"zeta"_qs, u"Éclair"_qs, u"eclair"_qs, u"b"_qs, u"B"_qs,
                            u"10 x"_qs, u"2 x"_qs,    u" a"_qs,     u"a-b"_qs, u"ab"_qs};
    for (const char *locale : {"C", "en_US", "de_DE"}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        SortedListBox oneByOne;
        for (const QString &item : items)
            oneByOne.AddItem(item);
        SortedListBox bulk;
        bulk.setItems(items);
        QCOMPARE(bulk.items(), oneByOne.items());
        QCOMPARE(bulk.items().indexOf(u"B"_qs) + 1, bulk.items().indexOf(u"b"_qs));
    }
    QLocale::setDefault(QLocale::system());
}

void TestForm1::hiddenMainWindowDoesNotEndTheProgram()
{
    // The quit-on-last-window rule only acts inside the application's own event loop.
    Form1 &form = Form1::slot().show();
    form.hide();
    bool ranWhileHidden = false;
    bool timedOut = false;
    QTimer::singleShot(150, &form, [&ranWhileHidden, &form] {
        ranWhileHidden = true;
        form.show();
        Form1::slot().unload();
    });
    QTimer::singleShot(10000, qApp, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(ranWhileHidden);
    QVERIFY(!timedOut);
    QVERIFY(!Form1::slot().isOpen());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
