// The tree that tests/archive/data/make_fixtures.sh packs with real zip tools,
// and the check that an extraction reproduced it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "archive/extract_archive.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::test {

inline const char* const kToolArchives[] = {
    "tool_infozip.zip", "tool_infozip_stored.zip", "tool_7z.zip",
    "tool_bsdtar.zip",  "tool_python_stream.zip",  "tool_prefixed.zip",
};

inline std::string ToolDataBin() {
    std::string data;
    uint32_t x = 1;
    for (int i = 0; i < 40000; ++i) {
        x = (x * 1103515245u + 12345u) & 0x7FFFFFFFu;
        data += static_cast<char>((x >> 16) & 0xFF);
    }
    return data;
}

inline std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// Extracts archivePath into a fresh directory and compares it with the tree.
inline void CheckToolArchive(const std::string& archivePath) {
    SCOPED_TRACE(archivePath);
    TempDir dir;
    const archive::ArchiveReport report = archive::ExtractArchive(archivePath, dir.path());
    ASSERT_EQ(report.openResult, archive::kZipOk);
    EXPECT_TRUE(report.Ok());
    EXPECT_GE(report.members.size(), 9u);
    const std::string chinese = platform::Utf8ToLocal("中文\\说明.txt");
    EXPECT_EQ(ReadTestFile(dir / "readme.txt"), Repeat("Vael addon readme line\r\n", 200));
    EXPECT_TRUE(platform::PathExists(dir / "empty.txt"));
    EXPECT_EQ(ReadTestFile(dir / "empty.txt"), "");
    EXPECT_EQ(ReadTestFile(dir / "dir\\sub\\data.bin"), ToolDataBin());
    EXPECT_EQ(ReadTestFile(dir / "dir\\locked.txt"), "read-only member\n");
    EXPECT_FALSE(platform::IsReadOnly(dir / "dir\\locked.txt"));
    EXPECT_TRUE(platform::IsDirectory(dir / "dir\\empty"));
    EXPECT_EQ(ReadTestFile(dir / chinese), "\xE8\xAF\xB4\xE6\x98\x8E\n");
    // Every tool recorded 2021-06-15 12:34:56 UTC, in "UT" or as DOS time.
    EXPECT_EQ(platform::GetModifiedTime(dir / "dir\\sub\\data.bin"),
              platform::UnixTimeToFileTime(1623760496));
}

}  // namespace vt::test
