// A fresh directory for one test, removed with everything in it at the end.
#pragma once

#include <string>

namespace vt::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing backslash, in the local code page.
    const std::string& path() const { return path_; }
    // path() + name.
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// Writes bytes to a file, creating it; fails the current test when it cannot.
void WriteTestFile(const std::string& path, const std::string& bytes);
// The whole file, or an empty string when missing.
std::string ReadTestFile(const std::string& path);

}  // namespace vt::test
