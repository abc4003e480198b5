// The modal capture dialog: live view from the camera, turned and mirrored as the
// settings dialog says, and the release that takes the picture into the run's file. It
// owns the camera remote component and the message thread that shows camera warnings,
// and carries the state of the camera connection in its four layers (enumeration,
// connection, remote mode, live view). A capture run creates it and frees it at the end.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "dialog/core/camera_settings.h"
#include "dialog/core/focus_steps.h"
#include "dialog/core/skin_shape.h"
#include "imaging/core/live_view.h"
#include "ui/form.h"
#include "win/ThreadMessage.h"

namespace eos {

class TdlgCanonEosSdkSettings;
namespace layout {
class LayoutControl;
}

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
  // The button row with its bevel, which automatic and settings-only runs hide.
  int ButtonRowHeight() const { return paButtons.Height() + beButtons.Height(); }

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

  // --- Camera values and the settings text ---
  void GetCameraValues();
  // Reads the camera's values and selects them in the changed list, or in every list.
  void UpdateComboValues(std::optional<ValueList> co = std::nullopt);
  // Sends the changed list's value, or every list's, to the camera.
  void SetCameraValues(std::optional<ValueList> co = std::nullopt);
  Text GetComboValue(const ui::ComboBox& combo) const;
  Text GetSettingsText();
  void ApplySettingsText(TextView Text);
  void ShowSettingsDialog();
  // The skin of that name from the skin folders, or for the empty name (and after any
  // failure, with its message) the standard look.
  void LoadSkin(TextView skin);

  // --- Focus and dragging ---
  void btFocusFarXMouseDown(ui::Component& sender);
  void timFocusRepeatTimer(ui::Component&);
  void btFocusFarXMouseUp(ui::Component&);
  void btAutoFocusClick(ui::Component&);
  void timAutoFocusDoneTimer(ui::Component&);
  // Stops the camera's live-view autofocus: always when forced, else only while one runs.
  // True when the camera took the command.
  bool StopAutoFocus(bool Force);
  // The window follows the mouse from a press on its body (screen coordinates) until the
  // button is let go.
  void FormMouseDown(POINT screen);
  void FormMouseMove(POINT screen);
  void FormMouseUp();

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
  void SetOverlayText(Text text);
  void PaintDelay(HDC dc, const RECT& bounds);

  // --- Skins (dialog/skin.cpp, with LoadSkin above) ---
  // Turns the skin to `angle` (clockwise) and shapes the window by its mask; false when
  // the mask leaves no window.
  bool ApplySkinShape(int angle);
  void RotateSkinControl(int delta, ui::Item& control);
  void FillSkinFields();
  layout::LayoutControl* SkinItem(SkinPart part) const;
  layout::LayoutControl* conMask() const { return SkinItem(SkinPart::Mask); }
  layout::LayoutControl* conVF() const { return SkinItem(SkinPart::View); }

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
  ui::Painted& lumlabTakePicture;
  ui::Painted& lumlabSettings;
  ui::Painted& lumlabCancel;
  ui::Timer& timSettings;
  ui::Timer& timAuto;
  ui::Timer& timInfoEnd;
  ui::Timer& timHalfShutter;
  ui::Timer& timFocusRepeat;
  ui::Timer& timAutoFocusDone;

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
  OfferedLists FCameraRemoteSettings;
  Text FImageMode;
  Text FDriveMode;
  Text FCurrentSkin;
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
  FocusHold FFocusHold;  // the held focus button's step and repeat count
  bool FCameraAutoFocusing = false;
  bool FDown = false;
  POINT FDownAt{};      // the mouse where the drag began
  POINT FDownWindow{};  // and the window's corner then
  int FSkinAng = 0;
  int FSkinH = 0;
  int FSkinW = 0;

  TMessageThread* MessageThread() const { return FMessageThread.get(); }

 protected:
  bool FormKeyDown(WORD key) override;
  bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // The skin's photo place while a skin shows, the live view's size in it and its painting.
  ui::Painted* SkinView() const;
  SkinRect SkinViewRect() const;
  void PaintSkinView(HDC dc, const RECT& bounds);
  void SkinDragStart(ui::Component&);
  void ShowStandardLook();
  std::array<layout::LayoutControl*, static_cast<size_t>(SkinPart::DragArea)> skin_parts_{};
  // The standard look's frame and place, while a skin replaces them.
  bool skin_style_saved_ = false;
  DWORD standard_style_ = 0;
  RECT standard_rect_{};

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
