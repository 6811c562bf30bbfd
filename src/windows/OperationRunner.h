#pragma once

#include "core/Passes.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// Runs the file-system work of the windows on one worker thread, one operation at a time: a
// scan, a pass done in steps (a move, an undo), or a question about the disk. A call that hangs
// keeps only the worker waiting; the windows go on painting. Results come back through queued
// signals, so every receiver runs on the windows' thread, and no control is touched from the
// worker.
class OperationRunner : public QObject
{
    Q_OBJECT
public:
    explicit OperationRunner(QObject *parent = nullptr);
    // Waits for the worker, as stop() does.
    ~OperationRunner() override;

    // Opens the pass on the worker and runs it there to its end, in steps; passProgress after
    // each step, then finished with what it did, or refused with why it could not start.
    void startPass(std::function<arvelo::OpenedPass()> open,
        std::function<void(const arvelo::MoveSummary &)> finished,
        std::function<void(const QString &)> refused);
    // Runs `work` on the worker, then the answer it gives on the windows' thread.
    void ask(std::function<std::function<void()>()> work);

    // Ends the worker: a pass stops after the file at hand (a file is never left half moved),
    // a scan is let finish; then waits for it. For when the program ends; nothing is reported.
    void stop();

signals:
    void passProgress(qsizetype handled, qsizetype total);

    // Wake-ups only: what they announce waits under m_lock.
    void workWaiting(QPrivateSignal);
    void reportsWaiting(QPrivateSignal);

private:
    // Runs `work` on the worker thread.
    void onWorker(std::function<void()> work);
    // Runs `call` on the windows' thread, unless the program is ending.
    void report(std::function<void()> call);
    // Adds a call to one of the queues; runQueued runs, on its own thread, what waits in one.
    void queue(std::vector<std::function<void()>> &waiting, std::function<void()> call);
    void runQueued(std::vector<std::function<void()>> &queue);

    QThread m_thread;
    QMetaObject::Connection m_toWorker;
    std::atomic_bool m_stopping = false;
    // The calls handed from one thread to the other wait here, and each is taken out by the
    // thread that runs it, which then also destroys it: a pass ends (its journal's last flush,
    // its folders closed) on the worker, never on the windows' thread. The lock also orders
    // the hand-over for the thread sanitizer, which cannot see the locks inside Qt.
    std::mutex m_lock;
    std::vector<std::function<void()>> m_work;
    std::vector<std::function<void()>> m_reports;
};
