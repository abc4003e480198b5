// The modal capture dialog: live view from the camera, turned and mirrored as the
// settings dialog says, and the release that takes the picture into the run's file. It
// owns the camera remote component and the message thread that shows camera warnings,
// and carries the state of the camera connection in its four layers (enumeration,
// connection, remote mode, live view). A capture run creates it and frees it at the end.
#pragma once

#include <cstdint>
#include <memory>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "imaging/core/live_view.h"
#include "ui/form.h"
#include "win/ThreadMessage.h"

namespace eos {

class TdlgCanonEosSdkSettings;

class TdlgCanonEosSDK : public ui::Form {
 public:
  TdlgCanonEosSDK();
  ~TdlgCanonEosSDK() override;

  // --- Connection (each answers success; errors go to LastErrorText) ---
  bool ConnectToCamera();
  void DisconnectFromCamera();
  bool OpenCamera(bool ProbeParams);
  bool CloseCamera();
  bool SetViewfinder(bool Open);
  void UpdateButtons();

  // --- Live view ---
  // Turns the view to `ang` degrees (normalised into 0..270).
  void DoSetRotate(int ang);
  void paBordResize(ui::Component* Sender);
  void CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType& Metadata);

  // --- Taking the picture ---
  bool TakePicture();
  void PictureTaken();
  void UpdateValueDelay(int del);
  void ShowInfoText(TextView Message, unsigned Interval);
  void ShowSettingsDialog();

  // --- Camera events ---
  void CamRemoteEvent(EventCallbackType Event);
  void CamRemoteRemoteEvent(RemoteEventCallbackType Event, const AdditionNotifyRemoteEventType& EventData);

  // --- Handlers of the component table ---
  void btRelClick(ui::Component&);
  void btRelMouseDown(ui::Component&);
  void timHalfShutterTimer(ui::Component&);
  void timAutoTimer(ui::Component&);
  void btCancelClick(ui::Component&);
  void btSettingsXClick(ui::Component&);
  void timSettingsTimer(ui::Component&);
  void timInfoEndTimer(ui::Component&);
  void paBordResized(ui::Component&) { paBordResize(nullptr); }
  void Panel3Resize(ui::Component&);
  void PaintLiveView(HDC dc, const RECT& bounds);
  void PaintDelay(HDC dc, const RECT& bounds);

  // The run shows the form; these are its own events.
  void FormShow();

  TCamRemote CamRemote;

  // Components.
  ui::Panel& paNoSkin;
  ui::Panel& Panel3;
  ui::Panel& paBord;
  ui::Panel& paImx;
  ui::Shape& shImx;
  ui::Panel& paIm;
  ui::Painted& ImageR;
  ui::Painted& Image1;
  ui::Painted& laDelay;
  ui::Bevel& beButtons;
  ui::Panel& paButtons;
  ui::Button& btSettings;
  ui::Button& btFocusFar;
  ui::Button& btFocusNear;
  ui::Button& btAF;
  ui::Button& btRel;
  ui::Button& btCancel;
  ui::Panel& paSkin;
  ui::Timer& timSettings;
  ui::Timer& timAuto;
  ui::Timer& timInfoEnd;
  ui::Timer& timHalfShutter;

  // State of the connection and the run.
  bool FCameraConnected = false;
  bool FCameraEnumerated = false;
  bool FCameraActive = false;
  bool FCameraReleaseActive = false;
  ConnectInfoType FCameraInfo;
  RemoteFuncType FCameraCapability;
  ReleaseModeType FCameraReleaseMode = ReleaseModeOnlyToPC;
  bool FCameraVF = false;
  bool FCameraProbeDone = false;
  std::unique_ptr<TMessageThread> FMessageThread;
  bool FCanAF = false;
  bool FVFFirstImageDone = false;
  bool FAuto = false;
  std::int32_t FThumbnailsToReceive = 0;
  std::int32_t FPicturesToReceive = 0;
  Text FSDKVersion;
  int FPreviewW = 0;
  int FPreviewH = 0;
  bool FPreviewSizeSet = false;
  std::int32_t FLastEventCallback = 0;
  bool FUseTumbnail = false;
  bool FGetPictureFailed = false;
  bool FFocusDone = false;
  int FAngle = 0;
  bool FMirror = false;

  TMessageThread* MessageThread() const { return FMessageThread.get(); }

 protected:
  bool FormKeyDown(WORD key) override;

 private:
  // The live view as it is on screen, and the text over it.
  imaging::LiveViewRenderer view_;
  Text delay_text_;
  win::UniqueGdiObject delay_font_;
};

// The settings dialog's instance, created with the capture dialog.
TdlgCanonEosSdkSettings* SettingsDialog();
bool CreateSettingsDialog();
bool FreeSettingsDialog();

}  // namespace eos
