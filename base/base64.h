// Base64 (standard alphabet, "=" fill, no line breaks) written straight into UTF-16, so a
// capture answer can be allocated once at its final size and the picture encoded into it.
#pragma once

#include <cstddef>

namespace eos {

// Characters of the Base64 text of `bytes` bytes: 4 for every started group of 3. Valid
// for bytes <= SIZE_MAX / 4 * 3; Base64FitsIn tells whether a size is.
constexpr size_t Base64Size(size_t bytes) { return bytes / 3 * 4 + (bytes % 3 != 0 ? 4 : 0); }
constexpr bool Base64FitsIn(size_t bytes) { return bytes / 3 <= (static_cast<size_t>(-1) - 4) / 4; }

// Writes exactly Base64Size(size) characters at `out`; no terminator.
void Base64Encode(const void* data, size_t size, char16_t* out) noexcept;

}  // namespace eos
