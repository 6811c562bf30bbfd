#include "core/SteppedPass.h"

#include "core/ArtistFolders.h"
#include "core/MoveNoReplace.h"

#include <limits>
#include <utility>

namespace arvelo {

namespace {

// A name relative to the selected folder.
QString inFolder(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : joinPath(folder, name);
}

} // namespace

SteppedPass::SteppedPass(QString base, PassTell tell)
    : m_base(std::move(base))
    , m_tell(std::move(tell))
{ }

void SteppedPass::stay(const QString &name, StayReason reason, const QString &from)
{
    m_summary.stayed.append({inFolder(from, name), reason});
}

void SteppedPass::settle(const MoveResult &result, const QString &from, const QString &to,
    const QString &name, StayReason refused)
{
    // Paths are composed only for what is reported: this runs for every file moved.
    const QString keptAs = QString::fromStdString(result.keptAs);
    if (result.moved()) {
        ++m_summary.moved;
        if (m_tell.fileMoved)
            m_tell.fileMoved(inFolder(from, name), inFolder(to, name));
        if (!keptAs.isEmpty()) {
            m_summary.stayed.append({inFolder(from, name), StayReason::KeptAside,
                joinPath(m_base, inFolder(from, keptAs))});
        }
    } else if (result.twoNames) {
        m_summary.stayed.append({inFolder(from, keptAs.isEmpty() ? name : keptAs),
            StayReason::LeftUnderTwoNames, joinPath(m_base, inFolder(to, name))});
    } else {
        stay(name, refused, from);
    }
}

bool runSteps(SteppedPass &pass, const std::function<bool()> &goOn)
{
    while (!pass.step(QDeadlineTimer(StepMs), std::numeric_limits<qsizetype>::max())) {
        if (!goOn())
            return false;
    }
    return true;
}

} // namespace arvelo
