// The least an extractor can do: walk the central directory and inflate each
// member straight into its file. No attributes, times, checks or safety.
#pragma once

#include <string>

namespace vt::bench {

// Extracts archivePath into targetDir (with a trailing separator); false when
// the archive cannot be read.
bool BaselineExtract(const std::string& archivePath, const std::string& targetDir);

}  // namespace vt::bench
