// Not built yet: each operation refuses until its implementation lands.
#include "camremote/CamRemote.h"

namespace eos {

void TCamRemote::RemoteStartViewfinder(bool) {
  throw ECamException(u"TCamRemote::RemoteStartViewfinder is not built yet");
}
void TCamRemote::RemoteStopViewfinder() { throw ECamException(u"TCamRemote::RemoteStopViewfinder is not built yet"); }
bool TCamRemote::RemoteGetViewfinderImage() {
  throw ECamException(u"TCamRemote::RemoteGetViewfinderImage is not built yet");
}
void TCamRemote::RemoteStartMovieRecording() {
  throw ECamException(u"TCamRemote::RemoteStartMovieRecording is not built yet");
}
void TCamRemote::RemoteEndMovieRecording() {
  throw ECamException(u"TCamRemote::RemoteEndMovieRecording is not built yet");
}
void TCamRemote::TimerEOSViewfinderTimer() {}

}  // namespace eos
