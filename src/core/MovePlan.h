#pragma once

#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/SteppedPass.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What a move is asked to do: the files of the folder, as listed, and the artist entries whose
// files go into folders named after them.
struct MoveOrder
{
    QStringList artists;
    QStringList files;
    bool beautifyFolderNames = true;
};

// An artist folder as the plan decided it: the name to move into, or why nothing moves.
struct PlannedFolder
{
    std::optional<QString> name;
    StayReason why = StayReason::UnusableName;
    bool toMake = false;
};

// One file's move as decided ahead of its turn: its place in the file list and its folder, or
// without a folder why it stays; with a journal, the file as looked at before it was written down.
struct PlannedFile
{
    qsizetype file = 0;
    qsizetype folder = -1;
    StayReason why = StayReason::UnusableName;
    LookedFile looked;
};

// Where each file of the listed entries goes, decided entry by entry and file by file, a batch
// at a time. The entry's folder is named at its first file that gives a name, in file order:
// the beautified artist part when beautifyFolderNames is set, else the artist part as written
// less its leading blanks; trailing blanks never count. An existing entry of that name (or of
// that name in another case) is used, else the folder is to be made; a name longer than a
// folder name can be (255 bytes) is a folder that cannot be made. With a journal, each folder
// is written down before it is made and each file before it moves.
class MovePlan
{
public:
    MovePlan(FolderAccess &folders, Journal *journal, const MoveOrder &order);

    // Groups the files by artist, in slices; true once all are grouped.
    bool group(QDeadlineTimer deadline, qsizetype &units);
    // Files that belong to a listed entry; known once all are grouped.
    qsizetype filesToMove() const { return m_toMove; }
    // The file at place k of the file list.
    const QString &file(qsizetype k) const { return m_files.at(k); }

    // Decides the next batch of files. Fewer come, perhaps none, when a folder's lookup had to
    // read the folder's names and the deadline passed first; none once everything is decided.
    const QList<PlannedFile> &decide(qsizetype batch, QDeadlineTimer deadline);
    bool waiting() const { return m_waiting; }
    // A folder of the batch just decided; its state changes as it is made or fails to be.
    PlannedFolder &folder(qsizetype k) { return m_folders[k]; }

private:
    void nextEntry();
    // False when the file's folder can only be found once the folder's names are read.
    bool decideFile(qsizetype file, QDeadlineTimer deadline);
    std::optional<qsizetype> folderFor(const QString &name, QDeadlineTimer deadline);

    FolderAccess &m_access;
    Journal *const m_journal;
    const QStringList m_entries;
    const QStringList m_files;
    const bool m_beautify;

    // Each file's artist (the beautified artist part of its name) is worked out once; each entry
    // then reaches its own files directly. A file is kept as its place in the list, in 32 bits:
    // a million of them are kept.
    QHash<QString, QList<qint32>> m_filesOf;
    qsizetype m_grouped = 0;
    qsizetype m_toMove = 0;

    // How far the deciding has come: the entry, its files, the next of them, and whether its
    // folder has been named (by the entry's first file that gives a name) and as which folder.
    qsizetype m_entry = -1;
    QList<qint32> m_mine;
    qsizetype m_next = 0;
    bool m_named = false;
    qsizetype m_folder = -1;
    bool m_waiting = false;

    // The batch: its files and folders, and the folders it will make, by folded name.
    QList<PlannedFile> m_batch;
    QList<PlannedFolder> m_folders;
    QHash<QString, qsizetype> m_toMake;
};

} // namespace arvelo
