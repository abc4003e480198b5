// Streams of memory, of a caller's buffer and of files, and copies between them.
#include "simulator/core/sdk_state.h"

#include <algorithm>

namespace eos::sim {

EdsError Sdk::State::NewStream(std::unique_ptr<Stream> stream, EdsStreamRef* out) {
  auto o = std::make_unique<Object>();
  o->kind = RefKind::Stream;
  o->stream = std::move(stream);
  *out = Hand(std::move(o));
  return EDS_ERR_OK;
}

template <class Ch>
EdsError Sdk::State::FileStream(const Ch* name, EdsFileCreateDisposition disposition, EdsAccess access,
                                EdsStreamRef* out) {
  if (out == nullptr || name == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  size_t length = 0;
  while (length < 260 && name[length] != 0) ++length;
  if (length == 0 || length >= 260) return EDS_ERR_INVALID_PARAMETER;
  std::unique_ptr<Stream> s;
  if (const EdsError e = OpenFileStream(name, disposition, access, &s)) return e;
  return NewStream(std::move(s), out);
}

EdsError Sdk::State::EdsCreateFileStream(const EdsChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                                         EdsStreamRef* out) {
  return FileStream(name, disposition, access, out);
}

EdsError Sdk::State::EdsCreateFileStreamEx(const EdsWChar* name, EdsFileCreateDisposition disposition, EdsAccess access,
                                           EdsStreamRef* out) {
  return FileStream(name, disposition, access, out);
}

EdsError Sdk::State::EdsCreateMemoryStream(EdsUInt64 size, EdsStreamRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  return NewStream(NewMemoryStream(size), out);
}

EdsError Sdk::State::EdsCreateMemoryStreamFromPointer(EdsVoid* buffer, EdsUInt64 size, EdsStreamRef* out) {
  if (out == nullptr || buffer == nullptr) return EDS_ERR_INVALID_POINTER;
  return NewStream(NewPointerStream(buffer, size), out);
}

EdsError Sdk::State::EdsGetPointer(EdsStreamRef ref, EdsVoid** out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  Stream* s = FindStream(ref);
  return s ? s->Pointer(out) : EDS_ERR_INVALID_HANDLE;
}

EdsError Sdk::State::EdsRead(EdsStreamRef ref, EdsUInt64 size, EdsVoid* out, EdsUInt64* done) {
  if (done == nullptr || (out == nullptr && size > 0)) return EDS_ERR_INVALID_POINTER;
  Stream* s = FindStream(ref);
  return s ? s->Read(size, out, done) : EDS_ERR_INVALID_HANDLE;
}

EdsError Sdk::State::EdsWrite(EdsStreamRef ref, EdsUInt64 size, const EdsVoid* data, EdsUInt64* done) {
  if (done == nullptr || (data == nullptr && size > 0)) return EDS_ERR_INVALID_POINTER;
  Stream* s = FindStream(ref);
  return s ? s->Write(size, data, done) : EDS_ERR_INVALID_HANDLE;
}

EdsError Sdk::State::EdsSeek(EdsStreamRef ref, EdsInt64 offset, EdsSeekOrigin origin) {
  Stream* s = FindStream(ref);
  return s ? s->Seek(offset, origin) : EDS_ERR_INVALID_HANDLE;
}

EdsError Sdk::State::EdsGetPosition(EdsStreamRef ref, EdsUInt64* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  Stream* s = FindStream(ref);
  if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
  *out = s->Position();
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetLength(EdsStreamRef ref, EdsUInt64* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  Stream* s = FindStream(ref);
  if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
  *out = s->Length();
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsCopyData(EdsStreamRef from, EdsUInt64 size, EdsStreamRef to) {
  Stream* in = FindStream(from);
  Stream* out = FindStream(to);
  if (in == nullptr || out == nullptr) return EDS_ERR_INVALID_HANDLE;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(size, kChunk)));
  while (size > 0) {
    uint64_t got = 0, put = 0;
    if (const EdsError e = in->Read(std::min<uint64_t>(size, buffer.size()), buffer.data(), &got)) return e;
    if (got == 0) return EDS_ERR_STREAM_END_OF_STREAM;
    if (const EdsError e = out->Write(got, buffer.data(), &put)) return e;
    size -= got;
  }
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsSetProgressCallback(EdsBaseRef ref, EdsProgressCallback fn, EdsProgressOption option,
                                            EdsVoid* context) {
  Stream* s = FindStream(ref);
  if (s == nullptr) return Find(ref) ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_INVALID_HANDLE;
  if (option > kEdsProgressOption_Periodically) return EDS_ERR_INVALID_PARAMETER;
  if (fn == nullptr && option != kEdsProgressOption_NoReport) return EDS_ERR_INVALID_FN_POINTER;
  s->progress = fn;
  s->progress_option = option;
  s->progress_context = context;
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsCreateStream(EdsVoid* stream, EdsStreamRef* out) {
  if (stream == nullptr || out == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  return EDS_ERR_NOT_SUPPORTED;  // COM streams are not simulated
}

}  // namespace eos::sim
