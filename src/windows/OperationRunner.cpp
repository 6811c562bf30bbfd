#include "windows/OperationRunner.h"

#include <QCoreApplication>

#include <limits>

namespace {

// Long enough for the pass to get on, short enough for the bar to move smoothly and for an
// ending program not to wait long.
constexpr int SliceMs = 25;

} // namespace

OperationRunner::OperationRunner(QObject *parent)
    : QObject(parent)
    , m_worker(new QObject)
{
    m_thread.setObjectName(QStringLiteral("arvelo worker"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    // A program that ends while a pass runs still lets the file at hand finish.
    if (QCoreApplication *application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &OperationRunner::stop);
    m_thread.start();
}

OperationRunner::~OperationRunner()
{
    stop();
}

void OperationRunner::stop()
{
    m_stopping = true;
    m_thread.quit();
    m_thread.wait();
}

template<typename Work>
void OperationRunner::onWorker(Work work)
{
    m_running = true;
    QMetaObject::invokeMethod(m_worker, std::move(work), Qt::QueuedConnection);
}

template<typename Report>
void OperationRunner::report(Report report)
{
    // Posted to this object, which lives on the windows' thread; gone with it, if it is gone.
    QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
}

void OperationRunner::startScan(const QString &folder, arvelo::FolderId listed,
    const QStringList &files, bool withSubFolders, arvelo::KeyOptions options)
{
    onWorker([this, folder, listed, files, withSubFolders, options] {
        // Opened here: a folder on a disk that hangs keeps only the worker waiting.
        const arvelo::ListedFolder opened(folder, listed);
        std::optional<arvelo::ScanOutcome> outcome
            = arvelo::scanFolder(opened, files, withSubFolders, options, arvelo::ListOrder());
        report([this, outcome = std::move(outcome), changed = opened.changed()] {
            m_running = false;
            emit scanFinished(outcome, changed);
        });
    });
}

void OperationRunner::startPass(std::unique_ptr<arvelo::SteppedPass> pass)
{
    // Shared only to travel inside the posted call; the worker alone uses it.
    onWorker([this, shared = std::shared_ptr<arvelo::SteppedPass>(std::move(pass))] {
        while (!shared->step(QDeadlineTimer(SliceMs), std::numeric_limits<qsizetype>::max())) {
            if (m_stopping)
                return;
            report([this, handled = shared->filesHandled(), total = shared->filesToMove()] {
                emit passProgress(handled, total);
            });
        }
        report([this, summary = shared->summary()] {
            m_running = false;
            emit passFinished(summary);
        });
    });
}
