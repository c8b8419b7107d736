#include "platform/file_faults.h"

#include <atomic>
#include <mutex>

#include "platform/files.h"

namespace vt::platform {

namespace {

constexpr int kKinds = 4;

struct Faults {
    std::mutex mutex;
    int counts[kKinds] = {};
    int failAt[kKinds] = {};  // 0: none
    bool halt = false;
    bool halted = false;
    bool diskFull = false;
};

// Checked without the lock first, so an unarmed process pays one load.
std::atomic<bool> armed{false};
std::atomic<bool> counting{false};

Faults& State() {
    static Faults faults;
    return faults;
}

int IndexOf(FileOp op) {
    return static_cast<int>(op);
}

}  // namespace

void FailFileOperation(FileOp op, int n, bool halt) {
    Faults& faults = State();
    std::lock_guard<std::mutex> lock(faults.mutex);
    faults.failAt[IndexOf(op)] = faults.counts[IndexOf(op)] + n;
    faults.halt = halt;
    armed = true;
    counting = true;
}

void SetDiskFull(bool full) {
    Faults& faults = State();
    std::lock_guard<std::mutex> lock(faults.mutex);
    faults.diskFull = full;
    armed = true;
    counting = true;
}

void ClearFileFaults() {
    Faults& faults = State();
    std::lock_guard<std::mutex> lock(faults.mutex);
    for (int i = 0; i < kKinds; ++i) {
        faults.counts[i] = 0;
        faults.failAt[i] = 0;
    }
    faults.halt = faults.halted = faults.diskFull = false;
    armed = false;
    counting = true;
}

int FileOperationCount(FileOp op) {
    Faults& faults = State();
    std::lock_guard<std::mutex> lock(faults.mutex);
    return faults.counts[IndexOf(op)];
}

namespace {

bool MustFail(FileOp op) {
    if (!counting.load(std::memory_order_relaxed))
        return false;
    Faults& faults = State();
    std::lock_guard<std::mutex> lock(faults.mutex);
    const int index = IndexOf(op);
    const int count = ++faults.counts[index];
    if (!armed.load(std::memory_order_relaxed))
        return false;
    if (faults.halted)
        return true;
    if (faults.diskFull && (op == FileOp::kWrite || op == FileOp::kCreate))
        return true;
    if (faults.failAt[index] != 0 && count == faults.failAt[index]) {
        faults.halted = faults.halt;
        return true;
    }
    return false;
}

}  // namespace

bool InjectFileFault(FileOp op) {
    if (!MustFail(op))
        return false;
    RecordFileError(kErrorDiskFull, FileErrorMessage(kErrorDiskFull));
    return true;
}

}  // namespace vt::platform
