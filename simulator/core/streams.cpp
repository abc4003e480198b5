#include "simulator/core/streams.h"

#include <algorithm>
#include <cstring>

#include "base/cfile.h"
#include "base/text.h"

namespace eos::sim {
namespace {

EdsError NewPosition(uint64_t pos, uint64_t length, int64_t offset, EdsSeekOrigin origin, uint64_t* out) {
  int64_t base = 0;
  if (origin == kEdsSeek_Cur)
    base = static_cast<int64_t>(pos);
  else if (origin == kEdsSeek_End)
    base = static_cast<int64_t>(length);
  else if (origin != kEdsSeek_Begin)
    return EDS_ERR_INVALID_PARAMETER;
  if (offset < -base) return EDS_ERR_STREAM_SEEK_ERROR;
  *out = static_cast<uint64_t>(base + offset);
  return EDS_ERR_OK;
}

class MemoryStream : public Stream {
 public:
  MemoryStream(void* fixed, uint64_t size) : fixed_(static_cast<uint8_t*>(fixed)), fixed_size_(size) {
    if (!fixed_) bytes_.reserve(static_cast<size_t>(std::min<uint64_t>(size, 64u << 20)));
  }
  EdsError Read(uint64_t size, void* out, uint64_t* done) override {
    const uint64_t n = std::min(size, Length() - std::min(pos_, Length()));
    if (n) std::memcpy(out, Data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    *done = n;
    return EDS_ERR_OK;
  }
  EdsError Write(uint64_t size, const void* data, uint64_t* done) override {
    *done = 0;
    if (fixed_) {
      if (pos_ + size > fixed_size_) return EDS_ERR_STREAM_WRITE_ERROR;
      std::memcpy(fixed_ + pos_, data, static_cast<size_t>(size));
      fixed_length_ = std::max(fixed_length_, pos_ + size);
    } else {
      if (pos_ + size > bytes_.max_size()) return EDS_ERR_MEM_ALLOC_FAILED;
      if (pos_ + size > bytes_.size()) bytes_.resize(static_cast<size_t>(pos_ + size));
      if (size) std::memcpy(bytes_.data() + pos_, data, static_cast<size_t>(size));
    }
    pos_ += size;
    *done = size;
    return EDS_ERR_OK;
  }
  EdsError Seek(int64_t offset, EdsSeekOrigin origin) override {
    uint64_t p;
    if (const EdsError e = NewPosition(pos_, Length(), offset, origin, &p)) return e;
    if (p > Length()) return EDS_ERR_STREAM_SEEK_ERROR;
    pos_ = p;
    return EDS_ERR_OK;
  }
  uint64_t Position() const override { return pos_; }
  uint64_t Length() const override { return fixed_ ? fixed_length_ : bytes_.size(); }
  EdsError Pointer(void** out) override {
    *out = fixed_ ? static_cast<void*>(fixed_) : static_cast<void*>(bytes_.data());
    return EDS_ERR_OK;
  }
  EdsError Replace(const std::vector<uint8_t>& bytes) override {
    if (fixed_) return Stream::Replace(bytes);
    bytes_ = bytes;
    pos_ = 0;
    return EDS_ERR_OK;
  }

 private:
  const uint8_t* Data() const { return fixed_ ? fixed_ : bytes_.data(); }
  uint8_t* fixed_;
  uint64_t fixed_size_;
  uint64_t fixed_length_ = 0;
  std::vector<uint8_t> bytes_;
  uint64_t pos_ = 0;
};

class FileStream : public Stream {
 public:
  FileStream(CFile f, bool readable, bool writable) : f_(std::move(f)), readable_(readable), writable_(writable) {}
  EdsError Read(uint64_t size, void* out, uint64_t* done) override {
    *done = 0;
    if (!readable_) return EDS_ERR_STREAM_READ_ERROR;
    std::fseek(f_.get(), static_cast<long>(pos_), SEEK_SET);
    *done = std::fread(out, 1, static_cast<size_t>(size), f_.get());
    pos_ += *done;
    return std::ferror(f_.get()) ? EDS_ERR_STREAM_READ_ERROR : EDS_ERR_OK;
  }
  EdsError Write(uint64_t size, const void* data, uint64_t* done) override {
    *done = 0;
    if (!writable_) return EDS_ERR_STREAM_WRITE_ERROR;
    std::fseek(f_.get(), static_cast<long>(pos_), SEEK_SET);
    *done = std::fwrite(data, 1, static_cast<size_t>(size), f_.get());
    pos_ += *done;
    return *done == size ? EDS_ERR_OK : EDS_ERR_STREAM_WRITE_ERROR;
  }
  EdsError Seek(int64_t offset, EdsSeekOrigin origin) override {
    uint64_t p;
    if (const EdsError e = NewPosition(pos_, Length(), offset, origin, &p)) return e;
    pos_ = p;
    return EDS_ERR_OK;
  }
  uint64_t Position() const override { return pos_; }
  uint64_t Length() const override {
    std::fflush(f_.get());
    std::fseek(f_.get(), 0, SEEK_END);
    const long end = std::ftell(f_.get());
    return end < 0 ? 0 : static_cast<uint64_t>(end);
  }
  EdsError Pointer(void**) override { return EDS_ERR_NOT_SUPPORTED; }

 private:
  CFile f_;
  bool readable_, writable_;
  uint64_t pos_ = 0;
};

// The C library's mode for a disposition and access, or null for a combination the
// SDK does not know.
const char* Mode(EdsFileCreateDisposition disposition, EdsAccess access, bool* readable, bool* writable) {
  if (access > kEdsAccess_ReadWrite) return nullptr;
  *readable = access != kEdsAccess_Write;
  *writable = access != kEdsAccess_Read;
  if (disposition == kEdsFileCreateDisposition_CreateAlways) return *readable ? "w+b" : "wb";
  if (disposition == kEdsFileCreateDisposition_OpenExisting) return *writable ? "r+b" : "rb";
  return nullptr;
}

EdsError Wrap(CFile f, EdsFileCreateDisposition disposition, bool readable, bool writable,
              std::unique_ptr<Stream>* out) {
  if (!f)
    return disposition == kEdsFileCreateDisposition_OpenExisting ? EDS_ERR_FILE_NOT_FOUND : EDS_ERR_FILE_OPEN_ERROR;
  *out = std::make_unique<FileStream>(std::move(f), readable, writable);
  return EDS_ERR_OK;
}

}  // namespace

EdsError Stream::Replace(const std::vector<uint8_t>& bytes) {
  if (const EdsError e = Seek(0, kEdsSeek_Begin)) return e;
  uint64_t done = 0;
  return Write(bytes.size(), bytes.data(), &done);
}

std::unique_ptr<Stream> NewMemoryStream(uint64_t initial_size) {
  return std::make_unique<MemoryStream>(nullptr, initial_size);
}

std::unique_ptr<Stream> NewPointerStream(void* buffer, uint64_t size) {
  return std::make_unique<MemoryStream>(buffer, size);
}

EdsError OpenFileStream(const char* name, EdsFileCreateDisposition disposition, EdsAccess access,
                        std::unique_ptr<Stream>* out) {
  bool readable = false, writable = false;
  const char* mode = Mode(disposition, access, &readable, &writable);
  if (mode == nullptr) return EDS_ERR_INVALID_PARAMETER;
  return Wrap(CFile(std::fopen(name, mode)), disposition, readable, writable, out);
}

EdsError OpenFileStream(const EdsWChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                        std::unique_ptr<Stream>* out) {
  bool readable = false, writable = false;
  const char* mode = Mode(disposition, access, &readable, &writable);
  if (mode == nullptr) return EDS_ERR_INVALID_PARAMETER;
#if defined(_WIN32)
  const std::wstring wmode(mode, mode + std::strlen(mode));
  return Wrap(CFile(_wfopen(name, wmode.c_str())), disposition, readable, writable, out);
#else
  return Wrap(CFile(std::fopen(ToUtf8(name).c_str(), mode)), disposition, readable, writable, out);
#endif
}

EdsError ReadAll(Stream& stream, std::vector<uint8_t>* out) {
  const uint64_t pos = stream.Position();
  out->resize(static_cast<size_t>(stream.Length()));
  EdsError e = stream.Seek(0, kEdsSeek_Begin);
  uint64_t done = 0;
  if (!e) e = stream.Read(out->size(), out->data(), &done);
  out->resize(static_cast<size_t>(done));
  stream.Seek(static_cast<int64_t>(pos), kEdsSeek_Begin);
  return e;
}

}  // namespace eos::sim
