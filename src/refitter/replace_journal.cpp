#include "refitter/replace_journal.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/files.h"

namespace vt::refitter {

namespace {

constexpr char kJournalHeader[] = "VaelTessel replace journal 1";

const char* PhaseName(JournalPhase phase) {
    switch (phase) {
        case JournalPhase::kReplacing:
            return "replacing";
        case JournalPhase::kInstalled:
            return "installed";
        case JournalPhase::kCommitted:
            return "committed";
        default:
            return "";
    }
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Normalised(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

// The folders leading to name ("a\\b\\c.dll" gives "a" and "a\\b").
std::vector<std::string> Parents(const std::string& name) {
    std::vector<std::string> parents;
    for (size_t at = name.find('\\'); at != std::string::npos; at = name.find('\\', at + 1))
        parents.push_back(name.substr(0, at));
    return parents;
}

// Makes the folders leading to path below base (base itself must exist).
bool MakeParents(const std::string& base, const std::string& name) {
    for (const std::string& parent : Parents(name)) {
        const std::string dir = base + parent;
        if (!platform::IsDirectory(dir) && !platform::MakeDirectory(dir))
            return false;
    }
    return true;
}

bool RemoveTreeIfThere(const std::string& dir) {
    return !platform::PathExists(dir) || platform::RemoveTree(dir);
}

}  // namespace

std::string WorkDir(const std::string& programDir) {
    return programDir + "RefitterWork\\";
}

bool IsSafeRelativeName(const std::string& raw) {
    const std::string name = Normalised(raw);
    if (name.empty() || name.front() == '\\' || name.back() == '\\' ||
        name.find(':') != std::string::npos)
        return false;
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return false;
    std::istringstream parts(name);
    std::string part;
    while (std::getline(parts, part, '\\')) {
        if (part.empty() || part == "." || part == "..")
            return false;
    }
    return true;
}

bool CopyFileWhole(const std::string& from, const std::string& to) {
    platform::File in;
    if (!in.Open(from, platform::File::Mode::kRead))
        return false;
    const std::string part = to + ".part";
    {
        platform::File out;
        if (!out.Open(part, platform::File::Mode::kWrite))
            return false;
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const int64_t got = in.Read(buffer.data(), buffer.size());
            if (got < 0 || (got > 0 && !out.Write(buffer.data(), static_cast<size_t>(got)))) {
                out.Close();
                platform::RemoveFile(part);
                return false;
            }
            if (got == 0)
                break;
        }
    }
    return platform::RenamePath(part, to, true);
}

ReplaceJournal::ReplaceJournal(std::string programDir) : programDir_(std::move(programDir)) {}

bool ReplaceJournal::Begin(const std::vector<std::string>& names) {
    if (platform::PathExists(JournalPath()) || names.empty())
        return false;
    std::vector<PlannedFile> files;
    std::vector<std::string> newDirs;
    std::vector<std::string> seen;
    for (const std::string& raw : names) {
        if (!IsSafeRelativeName(raw))
            return false;
        const std::string name = Normalised(raw);
        // Windows names are one file whatever their letter case.
        const std::string key = Upper(name);
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            return false;
        seen.push_back(key);
        const std::string target = programDir_ + name;
        if (platform::IsDirectory(target))
            return false;
        files.push_back({name, platform::PathExists(target)});
        for (const std::string& parent : Parents(name)) {
            const std::string dir = programDir_ + parent;
            if (platform::PathExists(dir) && !platform::IsDirectory(dir))
                return false;
            if (!platform::IsDirectory(dir) &&
                std::find(newDirs.begin(), newDirs.end(), parent) == newDirs.end())
                newDirs.push_back(parent);
        }
    }
    files_ = std::move(files);
    newDirs_ = std::move(newDirs);
    const std::string work = WorkDir(programDir_);
    if (!platform::IsDirectory(work) && !platform::MakeDirectory(work))
        return false;
    return WriteJournal(JournalPhase::kReplacing);
}

bool ReplaceJournal::Apply() {
    for (const std::string& dir : newDirs_) {
        const std::string path = programDir_ + dir;
        if (!platform::IsDirectory(path) && !platform::MakeDirectory(path))
            return false;
    }
    const std::string backup = BackupDir();
    if (!platform::IsDirectory(backup) && !platform::MakeDirectory(backup))
        return false;
    for (const PlannedFile& file : files_) {
        const std::string copy = backup + file.name;
        if (!file.hadOld || platform::PathExists(copy))
            continue;
        if (!MakeParents(backup, file.name) || !CopyFileWhole(programDir_ + file.name, copy))
            return false;
    }
    const std::string stage = StageDir();
    for (const PlannedFile& file : files_) {
        const std::string staged = stage + file.name;
        const std::string target = programDir_ + file.name;
        if (!platform::PathExists(staged)) {
            // Already moved in by an earlier pass; anything else is a lost file.
            if (!platform::PathExists(target))
                return false;
            continue;
        }
        if (platform::PathExists(target))
            platform::ClearReadOnly(target);
        if (!platform::RenamePath(staged, target, true))
            return false;
    }
    return WriteJournal(JournalPhase::kInstalled);
}

bool ReplaceJournal::RollBack() {
    bool ok = true;
    const std::string backup = BackupDir();
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        const std::string target = programDir_ + file->name;
        if (file->hadOld) {
            // No copy means the old file was never touched, or is back already.
            const std::string copy = backup + file->name;
            if (!platform::PathExists(copy))
                continue;
            if (platform::PathExists(target))
                platform::ClearReadOnly(target);
            ok = platform::RenamePath(copy, target, true) && ok;
        } else if (platform::PathExists(target) && !platform::IsDirectory(target)) {
            ok = platform::RemoveFile(target) && ok;
        }
    }
    if (!ok)
        return false;
    // Folders the plan made go when nothing else has been put in them.
    for (auto dir = newDirs_.rbegin(); dir != newDirs_.rend(); ++dir) {
        if (platform::IsDirectory(programDir_ + *dir))
            platform::RemoveEmptyDirectory(programDir_ + *dir);
    }
    return ClearWork() && platform::RemoveFile(JournalPath());
}

bool ReplaceJournal::Commit() {
    return WriteJournal(JournalPhase::kCommitted) && ClearWork() &&
           platform::RemoveFile(JournalPath());
}

bool ReplaceJournal::ClearWork() {
    return RemoveTreeIfThere(StageDir()) && RemoveTreeIfThere(BackupDir());
}

JournalPhase ReplaceJournal::Pending() const {
    ReplaceJournal copy(programDir_);
    JournalPhase phase = JournalPhase::kNone;
    copy.LoadJournal(phase);
    return phase;
}

RecoverResult ReplaceJournal::Recover() {
    JournalPhase phase = JournalPhase::kNone;
    LoadJournal(phase);
    switch (phase) {
        case JournalPhase::kNone:
            return RecoverResult::kNothing;
        case JournalPhase::kUnreadable:
            return RecoverResult::kUnreadable;
        case JournalPhase::kCommitted:
            return ClearWork() && platform::RemoveFile(JournalPath()) ? RecoverResult::kCommitted
                                                                      : RecoverResult::kFailed;
        default:
            return RollBack() ? RecoverResult::kRolledBack : RecoverResult::kFailed;
    }
}

bool ReplaceJournal::WriteJournal(JournalPhase phase) {
    std::string text = std::string(kJournalHeader) + "\n";
    text += "phase=" + std::string(PhaseName(phase)) + "\n";
    for (const std::string& dir : newDirs_)
        text += "dir=" + dir + "\n";
    for (const PlannedFile& file : files_)
        text += std::string("file=") + (file.hadOld ? "1:" : "0:") + file.name + "\n";
    // Written aside and renamed, so the journal is always one whole version.
    const std::string temporary = JournalPath() + ".tmp";
    return platform::WriteWholeFile(temporary, text) &&
           platform::RenamePath(temporary, JournalPath(), true);
}

bool ReplaceJournal::LoadJournal(JournalPhase& phase) {
    const std::string path = JournalPath();
    if (!platform::PathExists(path)) {
        phase = JournalPhase::kNone;
        return false;
    }
    phase = JournalPhase::kUnreadable;
    std::string text;
    if (platform::FileSize(path) > 1024 * 1024 || !platform::ReadWholeFile(path, text))
        return false;
    std::istringstream lines(text);
    std::string line;
    std::vector<PlannedFile> files;
    std::vector<std::string> dirs;
    JournalPhase read = JournalPhase::kUnreadable;
    bool header = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header) {
            if (line != kJournalHeader)
                return false;
            header = true;
        } else if (line.rfind("phase=", 0) == 0) {
            const std::string name = line.substr(6);
            for (JournalPhase candidate :
                 {JournalPhase::kReplacing, JournalPhase::kInstalled, JournalPhase::kCommitted}) {
                if (name == PhaseName(candidate))
                    read = candidate;
            }
        } else if (line.rfind("dir=", 0) == 0 && IsSafeRelativeName(line.substr(4))) {
            dirs.push_back(line.substr(4));
        } else if (line.size() > 7 && line.rfind("file=", 0) == 0 &&
                   (line[5] == '0' || line[5] == '1') && line[6] == ':' &&
                   IsSafeRelativeName(line.substr(7))) {
            files.push_back({line.substr(7), line[5] == '1'});
        } else if (!line.empty()) {
            return false;
        }
    }
    if (read == JournalPhase::kUnreadable || files.empty())
        return false;
    files_ = std::move(files);
    newDirs_ = std::move(dirs);
    phase = read;
    return true;
}

}  // namespace vt::refitter
