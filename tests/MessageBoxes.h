#pragma once

// Answers the program's message boxes the way a user would: reads each one and presses OK, or
// the button given where the box has it.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(
        int everyMs = 20, QMessageBox::StandardButton press = QMessageBox::NoButton)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, press] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            const QString text = box->text();
            if (answer) {
                if (!answer(*box))
                    return;
            } else if (QAbstractButton *button = box->button(press)) {
                button->click();
            } else {
                box->accept();
            }
            texts.append(text);
        });
        m_timer.start(everyMs);
    }

    // The texts of the boxes answered so far, oldest first.
    QStringList texts;
    // When set, answers each box instead, to read more of it or act while it is up; false leaves
    // the box for a later look.
    std::function<bool(QMessageBox &)> answer;

private:
    QTimer m_timer;
};
