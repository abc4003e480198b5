// An owned C stream: the one place a FILE* is closed. Moving hands the stream on; the
// destructor closes what is still held. Open with fopen (or _wfopen on Windows) and
// wrap the result; a null stream is an empty owner.
#pragma once

#include <cstdio>
#include <utility>

namespace eos {

class CFile {
 public:
  CFile() = default;
  explicit CFile(std::FILE* f) noexcept : f_(f) {}
  ~CFile() { Close(); }
  CFile(CFile&& other) noexcept : f_(std::exchange(other.f_, nullptr)) {}
  CFile& operator=(CFile&& other) noexcept {
    if (this != &other) {
      Close();
      f_ = std::exchange(other.f_, nullptr);
    }
    return *this;
  }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  std::FILE* get() const noexcept { return f_; }
  explicit operator bool() const noexcept { return f_ != nullptr; }

  // Closes the stream now; false when what it still buffered could not be written.
  bool Close() noexcept {
    if (f_ == nullptr) return true;
    const bool flushed = std::fclose(f_) == 0;
    f_ = nullptr;
    return flushed;
  }

 private:
  std::FILE* f_ = nullptr;
};

}  // namespace eos
