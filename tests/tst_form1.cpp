#include "core/ListOrder.h"
#include "widgets/Layout.h"
#include "windows/Form1.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace arvelo;

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void cleanup() { Form1::slot().unload(); }

    void initTestCase()
    {
        for (const char *name : {"b - two.mp3", "A - one.mp3", ".hidden.mp3"})
            QVERIFY(QFile(m_folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    }

    void startsIdleWithCaptionsAsWritten()
    {
        Form1 &form = Form1::slot().show(m_folder.path());
        QStringList captions {form.windowTitle()};
        for (QWidget *widget : std::initializer_list<QWidget *> {form.Frame1, form.Frame2,
                 form.Frame3, form.Frame4, form.Frame5, form.Command1, form.Command4, form.Command2,
                 form.Command3, form.Check1, form.Check2, form.Check3, form.Check4}) {
            const auto *frame = qobject_cast<QGroupBox *>(widget);
            captions.append(
                frame ? frame->title() : qobject_cast<QAbstractButton *>(widget)->text());
        }
        QCOMPARE(captions,
            (QStringList {u"Arvelo"_s, u"Select folder :"_s, u"Files in selected folder :"_s,
                u"Select Drive :"_s, u"Artists :"_s, u"Selected artist's songs :"_s, u"Scan"_s,
                u"Help"_s, u"Remove artist from list"_s,
                u"Move files to folders named after the artist"_s, u"Overlook spaces"_s,
                u"Convert to Upercase"_s, u"Beautify folder names"_s, u"Scan folders names"_s}));
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
        QCOMPARE(form.File1->items(), (QStringList {u"A - one.mp3"_s, u"b - two.mp3"_s}));
        QCOMPARE(form.size(), twipsSize(8175, 6225));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(
            !(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void screenReadersNameTheListsAfterTheirFrames()
    {
        Form1 &form = Form1::slot().show(m_folder.path());
        QStringList names;
        for (QWidget *list : std::initializer_list<QWidget *> {
                 form.Dir1, form.File1, form.Drive1->view(), form.List1, form.List2})
            names.append(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name));
        // The drive's is its drop-down's list.
        QCOMPARE(names,
            (QStringList {u"Select folder"_s, u"Files in selected folder"_s, u"Select Drive"_s,
                u"Artists"_s, u"Selected artist's songs"_s}));
        // Each option says what it changes, read out after its caption.
        for (QCheckBox *box : {form.Check1, form.Check2, form.Check3, form.Check4})
            QVERIFY(!QAccessible::queryAccessibleInterface(box)
                         ->text(QAccessible::Description)
                         .isEmpty());
    }

    void keyFollowsTheOptionsAtEveryCall()
    {
        Form1 &form = Form1::slot().show(m_folder.path());
        const QString name = u" mira  vell - x.mp3"_s;
        QCOMPARE(form.FCnv(name), u"MIRAVELL"_s);
        form.Check1->setChecked(false);
        QCOMPARE(form.FCnv(name), u" MIRA  VELL"_s);
        form.Check2->setChecked(false);
        QCOMPARE(form.FCnv(name), u" mira  vell"_s);
        form.Check1->setChecked(true);
        QCOMPARE(form.FCnv(name), u"miravell"_s);
    }

    void sortedListsIgnoreCaseWhateverTheOrderOfArrival()
    {
        const QStringList items {
            u"beta"_s, u"Alpha"_s, u"zeta"_s, u"Éclair"_s, u"eclair"_s, u"b"_s, u"B"_s, u"alpha"_s};
        for (const char *locale : {"C", "en_US", "de_DE"}) {
            QLocale::setDefault(QLocale(QLatin1String(locale)));
            // Sorted at once, with collation keys, as one by one with comparisons.
            const ListOrder order;
            QStringList oneByOne;
            for (const QString &item : items)
                oneByOne.insert(
                    std::ranges::upper_bound(oneByOne, item,
                        [&](const QString &a, const QString &b) { return order.lessThan(a, b); })
                        - oneByOne.begin(),
                    item);
            QStringList sorted = items;
            order.sort(sorted);
            QCOMPARE(sorted, oneByOne);
            QCOMPARE(sorted.first(), u"Alpha"_s); // ties fall back to code-unit order
            QCOMPARE(sorted.indexOf(u"alpha"_s), 1);
            QVERIFY(sorted.indexOf(u"B"_s) < sorted.indexOf(u"beta"_s));
            QVERIFY(sorted.indexOf(u"eclair"_s) < sorted.indexOf(u"zeta"_s));
        }
        QLocale::setDefault(QLocale::system());
    }

    void hiddenMainWindowDoesNotEndTheProgram()
    {
        // The quit-on-last-window rule only acts inside the application's own event loop.
        Form1 &form = Form1::slot().show(m_folder.path());
        form.hide();
        bool ranWhileHidden = false;
        QTimer::singleShot(150, &form, [&ranWhileHidden, &form] {
            ranWhileHidden = true;
            form.show();
            Form1::slot().unload();
        });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(ranWhileHidden);
        QVERIFY(!Form1::slot().isOpen());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
