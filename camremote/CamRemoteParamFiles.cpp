// Not built yet: each operation refuses until its implementation lands.
#include "camremote/CamRemote.h"

namespace eos {

void TCamRemote::RemoteSaveCameraRemoteParams(TextView) { throw ECamException(u"not built yet"); }
void TCamRemote::RemoteLoadCameraRemoteParams(TextView) { throw ECamException(u"not built yet"); }

}  // namespace eos
