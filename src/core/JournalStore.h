#pragma once

#include "core/Descriptor.h"
#include "core/JournalFile.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// Where the journals are kept: $XDG_STATE_HOME/arvelo, else ~/.local/state/arvelo.
QString journalFolder();

// Why the journals' folder cannot be used, when it stands but is not the user's own private
// folder; nothing when it can be used or does not stand yet.
std::optional<QString> stateFolderProblem(const QString &journalDir);

// How many passes each folder keeps; older journals of that folder are removed.
inline constexpr int KeptPasses = 10;

// A new journal in journalDir, made with every missing folder, private to the user; its name
// begins with the time, so that names sort newest last. Not open when it could not be made.
UniqueFd createJournal(const QString &journalDir, QString &name);

// Takes the lock of the folder's passes in journalDir, so that no two passes over one folder
// run at once, from this program or another: held while the descriptor is open. Nothing when
// another pass holds it; a descriptor that is not open when no lock could be made.
std::optional<UniqueFd> lockPasses(const QString &journalDir, FileId folder);

// What the user is told when another pass is under way in the folder.
QString folderBusyMessage(const QString &folder);

// Keeps the newest KeptPasses journals of the folder and removes the older ones.
void removeOldPasses(const QString &journalDir, FileId folder);
// Removes the journal `name` of journalDir.
void removeJournal(const QString &journalDir, const QString &name);

// The file name, inside journalDir, of the newest journal of the folder with that identity and
// path that has not been taken back yet, other than those passed over. byPathAlone is for a file
// system whose identities do not last (a stick mounted again): there the path alone decides.
// The journal's whole text comes in `text`.
std::optional<QString> lastPassOf(FileId folder, const QString &path, const QString &journalDir,
    QByteArray &text, const QStringList &passedOver = {}, bool byPathAlone = false);

// Adds the record `line` to the end of the journal `name`, on the disk when `flush`; false when
// that could not be done.
bool appendRecord(const QString &journalDir, const QString &name, QByteArrayView line, bool flush);

} // namespace arvelo
