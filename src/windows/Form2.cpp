#include "windows/Form2.h"

#include "widgets/Layout.h"
#include "widgets/WindowThread.h"

#include <QProgressBar>

using namespace Qt::StringLiterals;

namespace {

constexpr int ClientWidth = 3555;
constexpr int ClientHeight = 990;
constexpr int Margin = 120;
constexpr int BarTop = 870;
constexpr int BarHeight = 255;

} // namespace

Form2::Form2()
    : ProgressWindow(arvelo::sizableWithoutControlBoxFlags(), u"Form2"_s, u"Moving Files"_s,
        arvelo::twipsSize(ClientWidth, ClientHeight))
    , progressBar(arvelo::place(new QProgressBar(this), "progressBar",
          arvelo::twipsRect(Margin, BarTop, ClientWidth - 2 * Margin, BarHeight)))
{
    // Kept inside the window's client area so the message is never cut off at the right edge.
    Label1->setGeometry(arvelo::twipsRect(Margin, Margin, ClientWidth - 2 * Margin, 735));
    Label1->setFont(arvelo::layoutFont(13.5));
    Label1->setText(u"Please be patient while the program is moving files."_s);

    progressBar->setAccessibleName(u"Files moved"_s);
    progressBar->hide();
}

void Form2::showProgress(qsizetype done, qsizetype total)
{
    arvelo::requireWindowThread(this);
    if (progressBar->isHidden()) {
        // Room for the bar below the message; the message itself stays where it was.
        resize(width(), arvelo::twips(BarTop + BarHeight + Margin));
        progressBar->show();
    }
    progressBar->setRange(0, int(total));
    progressBar->setValue(int(std::min(done, total)));
}
