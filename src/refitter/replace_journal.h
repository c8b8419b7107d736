// Replacing the program's files so that a crash at any moment can be undone:
// a plan of steps is written to a journal first, the old files are copied
// aside before the new ones are renamed over them, and every step checks the
// disk before it acts, so running it again after a crash does no harm. A
// journal left behind is finished by Recover: rolled back to the old files,
// unless the new set had already been accepted (committed).
//
// Layout inside the program directory (the updater's work folder):
//   RefitterWork\journal.txt   the plan and its phase
//   RefitterWork\stage\        the new files, as they will lie in the program directory
//   RefitterWork\backup\       copies of the old files that the new ones replace
#pragma once

#include <string>
#include <vector>

namespace vt::refitter {

// programDir + "RefitterWork\\" (programDir with its trailing separator).
std::string WorkDir(const std::string& programDir);

// How far a journal got.
enum class JournalPhase {
    kNone,        // no journal
    kReplacing,   // steps running: the disk may hold a mix of old and new files
    kInstalled,   // every new file is in place; the old ones are kept in backup
    kCommitted,   // the new set was accepted; only clearing up remains
    kUnreadable,  // a journal exists but does not read as one (left untouched)
};

// What Recover did.
enum class RecoverResult {
    kNothing,     // no journal
    kRolledBack,  // the old files are back, the work folder cleared
    kCommitted,   // the new files stay, the work folder cleared
    kFailed,      // a step failed; the journal stays for another try
    kUnreadable,  // the journal is damaged; nothing was touched
};

// One file of the plan: its name relative to the program directory ("\\"
// between folders) and whether an old file of that name was there.
struct PlannedFile {
    std::string name;
    bool hadOld = false;
};

// True for a relative name whose parts are plain names: not empty, no "." or
// "..", no drive, no leading separator, no control characters.
bool IsSafeRelativeName(const std::string& name);

class ReplaceJournal {
  public:
    explicit ReplaceJournal(std::string programDir);

    const std::string& ProgramDir() const { return programDir_; }
    std::string StageDir() const { return WorkDir(programDir_) + "stage\\"; }
    std::string BackupDir() const { return WorkDir(programDir_) + "backup\\"; }
    std::string JournalPath() const { return WorkDir(programDir_) + "journal.txt"; }

    // Plans the replacement of names (each staged under StageDir, each a safe
    // relative name): notes which have an old file and which folders are new,
    // and writes the journal in phase kReplacing. False when a name is unsafe,
    // a journal already exists, or the journal cannot be written; nothing in
    // the program directory has changed then.
    bool Begin(const std::vector<std::string>& names);
    // Copies every old file aside, then renames every new one into place, and
    // records kInstalled. False at the first failed step (RollBack undoes).
    bool Apply();
    // Puts the old files back, removes the new ones that had no old file and
    // the folders the plan made (when empty), clears the work folder and
    // deletes the journal. False when a step failed: the journal stays.
    bool RollBack();
    // Accepts the new files: records kCommitted, then deletes the copies, the
    // stage and the journal. False when clearing up failed (the journal stays
    // committed and a later Recover finishes it).
    bool Commit();

    // The phase of the journal on disk.
    JournalPhase Pending() const;
    // Finishes a journal left by an earlier run: kCommitted is completed,
    // every other phase rolled back.
    RecoverResult Recover();

    const std::vector<PlannedFile>& Files() const { return files_; }

  private:
    bool WriteJournal(JournalPhase phase);
    bool LoadJournal(JournalPhase& phase);
    bool ClearWork();

    std::string programDir_;
    std::vector<PlannedFile> files_;
    std::vector<std::string> newDirs_;  // parents first
};

// Copies a file's bytes to a new file at to (replaced when there), through
// to + ".part" so that to is never seen half written.
bool CopyFileWhole(const std::string& from, const std::string& to);

}  // namespace vt::refitter
