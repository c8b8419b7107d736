#include "archive/zip_result.h"

#include <atomic>
#include <cstdio>

namespace vt::archive {

namespace {
std::atomic<ZipResult> lastResult{kZipOk};

const char* Meaning(ZipResult result) {
    switch (result) {
        case kZipOk:
            return "ok";
        case kZipCannotDuplicate:
            return "file handle unusable";
        case kZipCannotCreate:
            return "cannot open or create file";
        case kZipIncomplete:
            return "member not extracted completely";
        case kZipMore:
            return "more data";
        case kZipHeaderMismatch:
            return "local header does not agree";
        case kZipExtraUnreadable:
            return "local extra field unreadable";
        case kZipOverlap:
            return "members overlap (a zip bomb)";
        case kZipTooLarge:
            return "declares more than the unpacking limits allow (a zip bomb)";
        case kZipBadArgument:
            return "bad argument";
        case kZipWrongKind:
            return "not a zip handle";
        case kZipAlreadyOpen:
            return "already open";
        case kZipNotSeekable:
            return "source not seekable";
        case kZipMemoryReadError:
            return "read error";
        case kZipReadError:
            return "archive read error";
        case kZipBadArchive:
            return "bad archive";
        default:
            return "unknown";
    }
}
}  // namespace

ZipResult LastZipResult() {
    return lastResult.load();
}

void SetLastZipResult(ZipResult result) {
    lastResult.store(result);
}

std::string ZipResultText(ZipResult result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%X", static_cast<unsigned>(result));
    return std::string(code) + " (" + Meaning(result) + ")";
}

}  // namespace vt::archive
