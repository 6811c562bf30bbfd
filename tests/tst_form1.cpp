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
    void cleanup() { Form1::slot().unload(); }
    void startsIdleWithCaptionsAsWritten();
    void tabOrderFollowsTheLayout();
    void keyFollowsTheOptionsAtEveryCall();
    void sortedListsIgnoreCaseWhateverTheOrderOfArrival();
    void hiddenMainWindowDoesNotEndTheProgram();

private:
    QTemporaryDir m_folder;
};

void TestForm1::initTestCase()
{
    for (const char *name : {"b - two.mp3", "A - one.mp3", ".hidden.mp3"})
        QVERIFY(QFile(m_folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestForm1::startsIdleWithCaptionsAsWritten()
{
    Form1 &form = Form1::slot().show();
    QCOMPARE(form.windowTitle(), u"Arvelo"_qs);
    const std::pair<QWidget *, const char *> captions[] = {
        {form.Frame1, "Select folder :"},
        {form.Frame2, "Files in selected folder :"},
        {form.Frame3, "Select Drive :"},
        {form.Frame4, "Artists :"},
        {form.Frame5, "Selected artist's songs :"},
        {form.Command1, "Scan"},
        {form.Command4, "Help"},
        {form.Command2, "Remove artist from list"},
        {form.Command3, "Move files to folders named after the artist"},
        {form.Check1, "Overlook spaces"},
        {form.Check2, "Convert to Upercase"},
        {form.Check3, "Beautify folder names"},
        {form.Check4, "Scan folders names"},
    };
    for (const auto &[widget, caption] : captions) {
        const auto *frame = qobject_cast<QGroupBox *>(widget);
        const QString shown
            = frame ? frame->title() : qobject_cast<QAbstractButton *>(widget)->text();
        QCOMPARE(shown, QLatin1String(caption));
    }
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
    QCOMPARE(form.File1->items(), (QStringList {u"A - one.mp3"_qs, u"b - two.mp3"_qs}));
    QCOMPARE(form.size(), twipsSize(8175, 6225));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

void TestForm1::tabOrderFollowsTheLayout()
{
    Form1 &form = Form1::slot().show();
    const QList<QWidget *> expected {form.List2, form.Dir1, form.File1, form.Drive1, form.List1,
        form.Command1, form.Command4, form.Command2, form.Command3, form.Check1, form.Check2,
        form.Check3, form.Check4};
    QWidget *widget = form.List2;
    for (qsizetype i = 1; i < expected.size(); ++i) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(&form));
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

void TestForm1::sortedListsIgnoreCaseWhateverTheOrderOfArrival()
{
    const QStringList items {u"beta"_qs, u"Alpha"_qs, u"zeta"_qs, u"Éclair"_qs, u"eclair"_qs,
        u"b"_qs, u"B"_qs, u"alpha"_qs};
    for (const char *locale : {"C", "en_US", "de_DE"}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        SortedListBox oneByOne;
        for (const QString &item : items)
            oneByOne.AddItem(item);
        SortedListBox bulk;
        bulk.setItems(items);
        QCOMPARE(bulk.items(), oneByOne.items());
        const QStringList &sorted = bulk.items();
        QCOMPARE(sorted.first(), u"Alpha"_qs); // ties fall back to code-unit order
        QCOMPARE(sorted.indexOf(u"alpha"_qs), 1);
        QVERIFY(sorted.indexOf(u"B"_qs) < sorted.indexOf(u"beta"_qs));
        QVERIFY(sorted.indexOf(u"eclair"_qs) < sorted.indexOf(u"zeta"_qs));
    }
    QLocale::setDefault(QLocale::system());
}

void TestForm1::hiddenMainWindowDoesNotEndTheProgram()
{
    // The quit-on-last-window rule only acts inside the application's own event loop.
    Form1 &form = Form1::slot().show();
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

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
