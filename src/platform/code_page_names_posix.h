// Windows code-page numbers and the iconv names that decode them.
#pragma once

namespace vt::platform {

// The iconv name for a Windows code page, or nullptr when there is none.
const char* IconvNameForCodePage(unsigned codePage);

}  // namespace vt::platform
