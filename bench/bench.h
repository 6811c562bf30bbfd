#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace bench {

// One line of the printed table.
struct Row
{
    QString work;
    QString measured;
    QString target;
};

using Section = std::function<void(QList<Row> &rows)>;

// Each bench source registers its section at start-up; main runs them in order and prints.
struct Registration
{
    Registration(int order, Section section);
};

// Seconds taken by one call of work.
double secondsFor(const std::function<void()> &work);

QString seconds(double value);

// The move of the command line, done by the core calls alone: `arvelo-bench --core-move FOLDER`
// runs it in a process of its own, to be measured beside `arvelo --move FOLDER`.
int coreMove(const char *folder);

} // namespace bench
