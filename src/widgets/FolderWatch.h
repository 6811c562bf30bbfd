#pragma once

#include <QElapsedTimer>
#include <QObject>

class QFileSystemWatcher;
class QTimer;

namespace arvelo {

// Tells when other programs change the entries of one folder. A burst of changes is told
// once, half a second after its last change (or two seconds after its first, if it goes on),
// so the folder is never read more than twice a second. While held, changes are kept and told
// once after release.
class FolderWatch : public QObject
{
    Q_OBJECT
public:
    explicit FolderWatch(QObject *parent = nullptr);

    // Watches this folder instead of the one before; an empty path watches nothing.
    void watch(const QString &folder);
    void hold();
    void release();
    // The folder has just been read: what changed until now is shown already.
    void settle();

    static constexpr int QuietMs = 500;
    static constexpr int LongestWaitMs = 2000;

signals:
    void changed();

private:
    void noteChange();
    void tell();

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_quiet = nullptr;
    // Since the first change not told yet; invalid when every change has been told.
    QElapsedTimer m_firstUntold;
    bool m_held = false;
};

} // namespace arvelo
