// The capture dialog's connection to its camera, in four layers (enumeration, session,
// remote mode, live view): each opening step opens the outer layers it needs, each closing
// step closes the inner ones first, and each answers whether it worked, leaving why not in
// the dialog's error text. A camera that goes away (the cable pulled, switched off or
// asleep) is let go, and looked for once a second until it, or another EOS camera, is back.
#pragma once

#include <functional>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "win/timer.h"

namespace eos {

class CameraValues;
namespace ui {
class Form;
}

// What the rest of the dialog does as the camera goes and comes back.
struct CameraLinkEvents {
  std::function<void()> gone;         // the camera went, while the dialog runs
  std::function<void()> returning;    // a camera is listed again: before it is connected
  std::function<void()> reconnected;  // connected with remote mode, its values and live view
  std::function<void()> back;         // the return is complete
};

class CameraLink {
 public:
  // The camera's values are read as remote mode starts; a camera is looked for again only
  // while `form` runs modally. `error` is the dialog's error text.
  CameraLink(TCamRemote& camera, CameraValues& values, const ui::Form& form, Text& error);

  CameraLinkEvents events;

  // Opens the enumeration and a session with the first EOS camera.
  bool ConnectToCamera();
  // Starts remote mode, connecting first if need be, and reads the camera's values
  // (all it offers when `ProbeParams`).
  bool OpenCamera(bool ProbeParams);
  // Starts or stops live view, starting remote mode first if need be.
  bool SetViewfinder(bool Open);
  // Stops live view, then remote mode.
  bool CloseCamera();
  // Stops everything and closes the session and the enumeration.
  void DisconnectFromCamera();

  // The camera is gone: let go with the SDK kept running, and looked for once a second.
  void CameraGone();
  bool Gone() const { return camera_gone_; }
  // Lets go of live view, remote mode and the session whatever the camera answers.
  void LetGoOfTheCamera() noexcept;

  // The live view's pace in frames a second, one of kFrameRates; another is ignored.
  int FrameRate() const { return frame_rate_; }
  void SetFrameRate(int rate);

  bool Connected() const { return FCameraConnected; }
  bool Active() const { return FCameraActive; }
  bool ReleaseActive() const { return FCameraReleaseActive; }
  bool Viewfinder() const { return FCameraVF; }
  bool ViewfinderSupported() const { return viewfinder_supported_; }
  const ConnectInfoType& Info() const { return FCameraInfo; }
  const RemoteFuncType& Capability() const { return FCameraCapability; }

 private:
  void timReconnectTimer();
  // Connects to the camera found, starts remote mode, gives it the values it had and
  // opens live view; false when a step failed (and nothing is left open).
  bool Reconnect();

  TCamRemote& camera_;
  CameraValues& values_;
  const ui::Form& form_;
  Text& error_;
  bool FCameraConnected = false;
  bool FCameraActive = false;
  bool FCameraReleaseActive = false;
  ConnectInfoType FCameraInfo;
  RemoteFuncType FCameraCapability;
  ReleaseModeType FCameraReleaseMode = ReleaseModeOnlyToPC;
  bool FCameraVF = false;
  bool viewfinder_supported_ = false;
  bool camera_gone_ = false;
  int frame_rate_ = 0;
  win::Timer timReconnect{[this] { timReconnectTimer(); }, 1000};
};

}  // namespace eos
