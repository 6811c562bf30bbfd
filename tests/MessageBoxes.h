#pragma once

// Answers the program's message boxes the way a user would: reads each one and presses OK, or
// the button given where the box has it.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(
        int everyMs = 20, QMessageBox::StandardButton press = QMessageBox::NoButton)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, press] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                if (QAbstractButton *button = box->button(press))
                    button->click();
                else
                    box->accept();
            }
        });
        m_timer.start(everyMs);
    }

    // The texts of the boxes answered so far, oldest first.
    QStringList texts;

private:
    QTimer m_timer;
};
