#pragma once

#include "core/ArtistScan.h"
#include "core/SteppedPass.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// Runs the file-system work of the windows on one worker thread, one operation at a time: a
// scan, or a pass done in slices (a move, an undo). A call that hangs keeps only the worker
// waiting; the windows go on painting. Results come back through queued signals, so every
// receiver runs on the windows' thread, and no control is touched from the worker.
class OperationRunner : public QObject
{
    Q_OBJECT
public:
    explicit OperationRunner(QObject *parent = nullptr);
    // Waits for the worker, as stop() does.
    ~OperationRunner() override;

    bool isRunning() const { return m_running; }

    // Reads the folder (which must still be the one listed) and groups the artists;
    // scanFinished follows.
    void startScan(const QString &folder, arvelo::FolderId listed, const QStringList &files,
        bool withSubFolders, arvelo::KeyOptions);
    // Runs the pass to its end in slices; passProgress after each slice, then passFinished.
    // From now on the pass belongs to the worker.
    void startPass(std::unique_ptr<arvelo::SteppedPass> pass);

    // Ends the worker: a pass stops after the file at hand (a file is never left half moved),
    // a scan is let finish; then waits for it. For when the program ends; nothing is reported.
    void stop();

signals:
    // Nothing when the folder could not be read, or has changed since it was listed.
    void scanFinished(const std::optional<arvelo::ScanOutcome> &outcome, bool folderChanged);
    void passProgress(qsizetype handled, qsizetype total);
    void passFinished(const arvelo::MoveSummary &summary);

    // Wake-ups only: what they announce waits under m_lock.
    void workWaiting(QPrivateSignal);
    void reportsWaiting(QPrivateSignal);

private:
    // Runs `work` on the worker thread.
    void onWorker(std::function<void()> work);
    // Runs `call` on the windows' thread, unless the program is ending.
    void report(std::function<void()> call);
    // Each runs, on its own thread, what waits for it.
    void runWork();
    void deliverReports();
    void runQueued(std::vector<std::function<void()>> &queue);

    QThread m_thread;
    QObject *m_worker = nullptr;
    QMetaObject::Connection m_toWorker;
    std::atomic_bool m_stopping = false;
    bool m_running = false;
    // The calls handed from one thread to the other wait here, and each is taken out by the
    // thread that runs it, which then also destroys it: a pass ends (its journal's last flush,
    // its folders closed) on the worker, never on the windows' thread. The lock also orders
    // the hand-over for the thread sanitizer, which cannot see the locks inside Qt.
    std::mutex m_lock;
    std::vector<std::function<void()>> m_work;
    std::vector<std::function<void()>> m_reports;
};
