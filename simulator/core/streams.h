// The SDK's streams: a growing memory buffer, a caller's fixed buffer, or a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "edsdk/EDSDK.h"

namespace eos::sim {

class Stream {
 public:
  virtual ~Stream() = default;
  virtual EdsError Read(uint64_t size, void* out, uint64_t* done) = 0;
  virtual EdsError Write(uint64_t size, const void* data, uint64_t* done) = 0;
  virtual EdsError Seek(int64_t offset, EdsSeekOrigin origin) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Length() const = 0;
  // The memory behind a memory stream; files have none.
  virtual EdsError Pointer(void** out) = 0;
  // Replaces the whole content (a live-view frame into its stream).
  virtual EdsError Replace(const std::vector<uint8_t>& bytes);

  // The progress callback set on this stream for downloads into it.
  EdsProgressCallback progress = nullptr;
  EdsProgressOption progress_option = kEdsProgressOption_NoReport;
  void* progress_context = nullptr;
};

// Memory the stream owns and grows; `fixed` marks a caller's buffer of fixed size.
std::unique_ptr<Stream> NewMemoryStream(uint64_t initial_size);
std::unique_ptr<Stream> NewPointerStream(void* buffer, uint64_t size);

// Opens a file by an 8-bit name (the ANSI code page on Windows) or a UTF-16 name;
// answers the SDK's error when the file cannot be opened.
EdsError OpenFileStream(const char* name, EdsFileCreateDisposition disposition, EdsAccess access,
                        std::unique_ptr<Stream>* out);
EdsError OpenFileStream(const EdsWChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                        std::unique_ptr<Stream>* out);

// Every byte of a stream from its start, leaving the position where it was.
EdsError ReadAll(Stream& stream, std::vector<uint8_t>* out);

}  // namespace eos::sim
