// The single-instance record: the named shared memory "vaeltessel_map"
// (string 108) whose text is the first copy's main window handle in
// lower-case hexadecimal ("%x") with a terminating NUL. Portable: the text
// and its reading; the Windows side maps the memory (single_instance.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vt::shell {

// Bytes the record needs: 8 hexadecimal digits and the NUL. The mapping is
// made this large (the system rounds it up to a page).
constexpr size_t kInstanceRecordBytes = 9;

// The record's text for a window handle value (window handles fit in 32
// bits, also in 64-bit processes).
std::string FormatInstanceRecord(uintptr_t handle);

// The handle in the first size bytes of a record: hexadecimal digits up to
// a NUL or the end, at most 8 of them. Nothing for an empty text, a
// character that is no hexadecimal digit, or more than 8 digits (a record
// not written by this program), so no such text becomes a handle.
std::optional<uintptr_t> ParseInstanceRecord(const uint8_t* bytes, size_t size);

}  // namespace vt::shell
