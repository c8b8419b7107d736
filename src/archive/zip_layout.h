// The whole-archive checks made before anything is inflated, against zip
// bombs: members that share bytes, and declared sizes no honest archive of
// an addon has.
#pragma once

#include <cstdint>

#include "archive/zip_reader.h"

namespace vt::archive {

struct ArchiveLimits {
    // Sum of the members' declared uncompressed sizes.
    uint64_t maxTotalSize = 1ULL << 30;
    // A member's declared uncompressed size over its compressed size;
    // deflate never reaches 1032, so only a lying entry goes beyond.
    uint32_t maxRatio = 1100;
};

// Walks the central directory and every local header of an open archive:
// kZipOk; kZipOverlap when two members' headers or data share bytes (a
// central entry pointing at another's data); kZipTooLarge when the sizes
// break limits; kZipHeaderMismatch when an entry or local header cannot be
// read. Sets the last zip result.
ZipResult CheckArchiveLayout(HZIP zip, const ArchiveLimits& limits);

}  // namespace vt::archive
