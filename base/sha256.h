// SHA-256 (FIPS 180-4), for checking that a shipped data file is the one it claims to be.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace eos {

using Sha256Digest = std::array<uint8_t, 32>;

// Feed the data in pieces of any size, then Finish once.
class Sha256 {
 public:
  Sha256();
  void Update(std::span<const uint8_t> data);
  Sha256Digest Finish();

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> pending_{};
  size_t pending_size_ = 0;
  uint64_t total_bytes_ = 0;
};

Sha256Digest Sha256Of(std::span<const uint8_t> data);

// Lower-case hexadecimal, 64 characters.
std::string ToHex(const Sha256Digest& digest);

}  // namespace eos
