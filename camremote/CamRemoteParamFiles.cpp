// Remote parameter files: the camera's shooting parameters as one stored record behind
// a size field, 52 bytes in all. The size field is the file's only format check.
#include <cstdint>

#include "Sources/record_file.h"
#include "camremote/CamRemote.h"

namespace eos {
namespace {

constexpr std::int32_t kRecordSize = sizeof(RemoteReleaseParametersType);
static_assert(kRecordSize == 48);

}  // namespace

void TCamRemote::RemoteSaveCameraRemoteParams(TextView FileName) {
  RequireRemoteMode();
  // The camera is asked before the file is touched, so a camera that cannot answer
  // leaves an existing file as it was instead of an empty one.
  const RemoteReleaseParametersType params = RemoteGetRemoteParams();
  RecordFile file = RecordFile::Create(Text(FileName));
  file.Write(&kRecordSize, sizeof kRecordSize);
  file.Write(&params, sizeof params);
}

void TCamRemote::RemoteLoadCameraRemoteParams(TextView FileName) {
  RequireRemoteMode();
  RecordFile file = RecordFile::OpenRead(Text(FileName));
  std::int32_t size = 0;
  RemoteReleaseParametersType params;
  // A short file is refused like a wrong size: a record cut off would send whatever the
  // missing bytes were taken to be.
  if (file.Read(&size, sizeof size) != sizeof size || size != kRecordSize ||
      file.Read(&params, sizeof params) != sizeof params)
    throw ECamException(u"Camera remote parameters file " + Text(FileName) +
                        u" is of invalid data format. Please create a new file.");
  RemoteSetRemoteParams(params);
}

}  // namespace eos
