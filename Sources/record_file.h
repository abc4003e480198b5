// Files of stored records (the backend's parameter cache, the component's remote
// parameter files), read and written as raw bytes. Every failure of the file system is
// an EInOutError that names the file and gives the system's reason.
#pragma once

#include <cstddef>

#include "base/exception.h"
#include "base/text.h"
#include "win/handles.h"

namespace eos {

class RecordFile {
 public:
  // An existing file, for reading.
  static RecordFile OpenRead(const Text& name);
  // A new empty file, replacing one of the same name, for writing.
  static RecordFile Create(const Text& name);

  // Reads up to `size` bytes; answers how many arrived (fewer at the end of the file).
  std::size_t Read(void* data, std::size_t size);
  void Write(const void* data, std::size_t size);

 private:
  RecordFile(win::UniqueFile file, Text name) : file_(std::move(file)), name_(std::move(name)) {}
  win::UniqueFile file_;
  Text name_;
};

// Creates `folder` and every missing folder above it.
void ForceDirectories(const Text& folder);

}  // namespace eos
