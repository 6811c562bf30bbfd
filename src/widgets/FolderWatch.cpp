#include "widgets/FolderWatch.h"

#include "core/ListedFolder.h"

#include <QFileSystemWatcher>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace arvelo {

FolderWatch::FolderWatch(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
    , m_quiet(new QTimer(this))
{
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(QuietMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::noteChange);
    connect(m_quiet, &QTimer::timeout, this, &FolderWatch::tell);
}

void FolderWatch::watch(const QString &folder)
{
    if (const QStringList old = m_watcher->directories(); !old.isEmpty())
        m_watcher->removePaths(old);
    settle();
    // The watcher takes a path as text and would lose the bytes of a name that is not UTF-8;
    // the folder opened by its own bytes is watched through its descriptor instead, which
    // also ties the watch to the very folder listed. An empty path opens nothing.
    if (const UniqueFd fd = openChosenFolder(folder); fd.isOpen())
        m_watcher->addPath(u"/proc/self/fd/%1"_s.arg(fd.get()));
}

void FolderWatch::hold()
{
    m_held = true;
    m_quiet->stop();
}

void FolderWatch::release()
{
    m_held = false;
    if (m_firstUntold.isValid())
        m_quiet->start();
}

void FolderWatch::settle()
{
    m_firstUntold.invalidate();
    m_quiet->stop();
}

void FolderWatch::noteChange()
{
    if (!m_firstUntold.isValid())
        m_firstUntold.start();
    if (m_held)
        return;
    // Each change waits for quiet again, unless the changes have gone on too long already.
    if (!m_quiet->isActive() || m_firstUntold.elapsed() < LongestWaitMs - QuietMs)
        m_quiet->start();
}

void FolderWatch::tell()
{
    if (m_held || !m_firstUntold.isValid())
        return;
    settle();
    emit changed();
}

} // namespace arvelo
