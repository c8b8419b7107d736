// Named character references for entity decoding.
#pragma once

#include <cstddef>
#include <string_view>

namespace vt::xml {

// The code point of an entity name (case-sensitive), 0 when unknown.
char32_t LookupEntity(std::string_view name);
size_t EntityCount();

}  // namespace vt::xml
