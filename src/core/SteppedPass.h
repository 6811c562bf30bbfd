#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <functional>

namespace arvelo {

struct MoveResult;

// Why a file of a listed artist stayed where it was.
enum class StayReason {
    NameTaken, // a file of that name already stands in the artist folder
    FolderNotMade, // the artist folder could not be created
    NotAFolder, // a file or a link stands where the artist folder should be
    UnusableName, // the folder or file name cannot be used inside the selected folder
    Vanished, // the file was no longer there
    Refused, // the system refused the move
    // The move could be neither finished nor undone: the file stands in the selected folder
    // and in the artist folder (alsoAt) under one name each, as two names of one file.
    LeftUnderTwoNames,
    ReadOnly, // the selected folder is on a read-only medium
    LinkWouldBreak, // a link to a relative target, which would point elsewhere one folder down
    // The file moved, but another program saved a new file under its old name meanwhile, and
    // that name was taken yet again before the new file could be put back: it is kept under a
    // private name (alsoAt).
    KeptAside,
    NotJournaled, // the move could not be written down first, so it could not be taken back
    // Taking a move back: the old name is taken in the selected folder, the file has left the
    // artist folder, or another file stands there under its name.
    TakenInFolder,
    NotInArtistFolder,
    OtherFileNow,
};

struct StayedFile
{
    QString file;
    StayReason reason = StayReason::Refused;
    // For LeftUnderTwoNames: the full path of the file's second name; for KeptAside, of the
    // private name.
    QString alsoAt = {};
};

// What a pass did. Files of artists that are not listed are not part of it.
struct MoveSummary
{
    qsizetype moved = 0;
    qsizetype foldersCreated = 0;
    // In the order the pass reached them.
    QList<StayedFile> stayed;
    // An undo whose journal could not be updated: it may offer the same pass again.
    bool journalNotUpdated = false;
};

// Whoever watches a pass as it goes, such as a listing on a terminal; names are relative to the
// selected folder. Told only what happened, or in a dry run what would.
struct PassTell
{
    std::function<void(const QString &folder)> folderMade;
    std::function<void(const QString &from, const QString &to)> fileMoved;
};

// Work on files that is done in slices, so that whoever runs it can show progress and stay
// responsive between slices: the move into artist folders, its plan, and taking a move back.
class SteppedPass
{
public:
    virtual ~SteppedPass() = default;

    // Works until the deadline passes or `units` files have been handled; true once done.
    virtual bool step(QDeadlineTimer deadline, qsizetype units) = 0;
    // Files the pass is about; known once it has looked at them all.
    virtual qsizetype filesToMove() const = 0;
    // Files moved or left so far.
    virtual qsizetype filesHandled() const = 0;
    const MoveSummary &summary() const { return m_summary; }

protected:
    // base is the selected folder's path; below, `from` and `to` are folders inside it, empty
    // for the selected folder itself.
    SteppedPass(QString base, PassTell tell);
    // The file `name` stays in `from`.
    void stay(const QString &name, StayReason reason, const QString &from = {});
    // Counts and tells how moving `name` from `from` into `to` ended, as the disk shows it; a
    // refused move stays for `refused`.
    void settle(const MoveResult &result, const QString &from, const QString &to,
        const QString &name, StayReason refused);

    const QString m_base;
    const PassTell m_tell;
    MoveSummary m_summary;
};

// A step is short enough for a stop to be seen right after the file in hand and for the
// progress shown to move smoothly, and long enough for the journal to write a step's files
// at once.
inline constexpr int StepMs = 25;
// Short passes show no progress; a longer one shows how far it is.
inline constexpr int ProgressAfterMs = 500;

// Runs the pass in steps of StepMs; between two steps goOn says whether to go on. True once
// the pass is done, false when it was stopped.
bool runSteps(SteppedPass &pass, const std::function<bool()> &goOn);

} // namespace arvelo
