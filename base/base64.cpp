#include "base/base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace eos {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value: one lookup per half of a 3-byte group, and
// each pair is copied out as one 4-byte word.
struct Pair {
  char16_t c[2];
};
constexpr std::array<Pair, 4096> kPairs = [] {
  std::array<Pair, 4096> t{};
  for (unsigned v = 0; v < 4096; ++v)
    t[v] = {{static_cast<char16_t>(kAlphabet[v >> 6]), static_cast<char16_t>(kAlphabet[v & 63])}};
  return t;
}();

inline void PutGroup(uint32_t group, char16_t* out) noexcept {
  std::memcpy(out, &kPairs[group >> 12], sizeof(Pair));
  std::memcpy(out + 2, &kPairs[group & 0xFFF], sizeof(Pair));
}

}  // namespace

void Base64Encode(const void* data, size_t size, char16_t* out) noexcept {
  const auto* in = static_cast<const unsigned char*>(data);
  // Two groups per step keeps both lookups of a step independent of the stores.
  for (; size >= 6; size -= 6, in += 6, out += 8) {
    PutGroup(uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2], out);
    PutGroup(uint32_t{in[3]} << 16 | uint32_t{in[4]} << 8 | in[5], out + 4);
  }
  for (; size >= 3; size -= 3, in += 3, out += 4) PutGroup(uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2], out);
  if (size == 0) return;
  const uint32_t group = uint32_t{in[0]} << 16 | (size == 2 ? uint32_t{in[1]} << 8 : 0);
  PutGroup(group, out);
  out[3] = u'=';
  if (size == 1) out[2] = u'=';
}

}  // namespace eos
