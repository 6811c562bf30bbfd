#include "windows/OperationRunner.h"

#include "core/SteppedPass.h"

#include <QCoreApplication>

OperationRunner::OperationRunner(QObject *parent)
    : QObject(parent)
{
    // Lives on the worker thread, and goes when the thread ends.
    auto *worker = new QObject;
    m_thread.setObjectName(QStringLiteral("arvelo worker"));
    worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    // The work runs on the worker; the reports, announced from there, on this thread, and not at
    // all once this object is gone.
    m_toWorker = connect(
        this, &OperationRunner::workWaiting, worker, [this] { runQueued(m_work); },
        Qt::QueuedConnection);
    connect(
        this, &OperationRunner::reportsWaiting, this, [this] { runQueued(m_reports); },
        Qt::QueuedConnection);
    // A program that ends while a pass runs still lets the file at hand finish. The runner
    // serves a window, so the application is there.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &OperationRunner::stop);
    m_thread.start();
}

OperationRunner::~OperationRunner()
{
    stop();
}

void OperationRunner::stop()
{
    m_stopping = true;
    // Cut here, so that the worker, as it ends, has no connection to this object to undo.
    disconnect(m_toWorker);
    m_thread.quit();
    m_thread.wait();
    // Whatever the worker left behind is now this thread's to destroy (the sanitizer does not
    // see the thread's end through QThread::wait).
    const std::lock_guard lock(m_lock);
}

void OperationRunner::onWorker(std::function<void()> work)
{
    queue(m_work, std::move(work));
    emit workWaiting(QPrivateSignal());
}

void OperationRunner::report(std::function<void()> call)
{
    queue(m_reports, std::move(call));
    emit reportsWaiting(QPrivateSignal());
}

void OperationRunner::queue(std::vector<std::function<void()>> &waiting, std::function<void()> call)
{
    const std::lock_guard lock(m_lock);
    waiting.push_back(std::move(call));
}

void OperationRunner::runQueued(std::vector<std::function<void()>> &queue)
{
    // Taken out under the lock and run outside it, so the calls themselves may queue more.
    std::vector<std::function<void()>> calls;
    {
        const std::lock_guard lock(m_lock);
        calls.swap(queue);
    }
    for (const std::function<void()> &call : calls)
        call();
}

void OperationRunner::startPass(std::function<arvelo::OpenedPass()> open,
    std::function<void(const arvelo::MoveSummary &)> finished,
    std::function<void(const QString &)> refused)
{
    onWorker([this, open, finished, refused] {
        // The pass ends on the worker too: its journal's last flush, its folders closed.
        const arvelo::OpenedPass opened = open();
        if (!opened.pass) {
            report([refused, why = opened.refusal] { refused(why); });
            return;
        }
        arvelo::SteppedPass &pass = *opened.pass;
        const bool done = arvelo::runSteps(pass, [&] {
            if (m_stopping)
                return false;
            report([this, handled = pass.filesHandled(), total = pass.filesToMove()] {
                emit passProgress(handled, total);
            });
            return true;
        });
        if (done)
            report([finished, summary = pass.summary()] { finished(summary); });
    });
}

void OperationRunner::ask(std::function<std::function<void()>()> work)
{
    onWorker([this, work] { report(work()); });
}
