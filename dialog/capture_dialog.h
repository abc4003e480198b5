// The modal capture dialog: live view from the camera, turned and mirrored as the
// settings dialog says, and the release that takes the picture into the run's file. It
// owns the camera remote component, the settings dialog and the message thread that
// shows camera warnings, and carries the state of the camera connection in its four
// layers (enumeration, connection, remote mode, live view). A capture run creates it,
// prepares it from the host's input, connects it, runs it modally and frees it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "dialog/core/camera_settings.h"
#include "dialog/core/focus_steps.h"
#include "dialog/core/skin_shape.h"
#include "face/find.h"
#include "face/guide.h"
#include "face/worker.h"
#include "imaging/core/live_view.h"
#include "plugin/core/capture_input.h"
#include "ui/form.h"
#include "win/ThreadMessage.h"

namespace eos {

class TdlgCanonEosSdkSettings;

// What a run asks of the dialog besides the host's capture keys.
struct RunOptions {
  bool settings_only = false;  // the settings dialog alone, for the settings text
  bool can_settings = true;    // the host allows the settings button
  bool can_focus = true;       // and the focus buttons
};

// The run's settings that the dialog changes as the user and the settings text say; the
// run keeps them for the next one.
struct RunChoices {
  int delay = 0;                       // the countdown before the release, in seconds
  int after_mode = 0;                  // the settings text's AfterMode
  bool camera_values_applied = false;  // the stored settings' camera values went to the camera
  bool settings_confirmed = false;     // the user confirmed the settings dialog
};
namespace layout {
class LayoutControl;
}

class TdlgCanonEosSDK : private ui::Form {
 public:
  TdlgCanonEosSDK();
  ~TdlgCanonEosSDK() override;

  // The run's options from the host's input (automatic release, the buttons it hides, the
  // picture's file) and the plug-in's settings for it. Every run starts with every button
  // shown and no live-view frame seen.
  void Prepare(const CaptureInput& input, const RunOptions& options, const RunChoices& choices);
  // Connects to the first EOS camera, starts remote mode, applies the stored settings
  // (`stored_settings` asked for them once the camera is open) and opens live view, saying
  // so in the status window; the caption then names the plug-in, the SDK and the camera.
  // False when a step failed, and Error() says why; a fault of the camera stack beyond
  // those steps is thrown.
  bool Connect(const std::function<Text()>& stored_settings);
  // The run's settings as the dialog leaves them.
  const RunChoices& Choices() const { return choices_; }
  // Shows the dialog modally (without its button row in an automatic or settings-only
  // run); true when it closed with OK: a picture taken, or the settings confirmed.
  bool RunModal();
  // The live view's rotation in degrees, as the answer reports it.
  int Angle() const { return FAngle; }
  // The settings text of the camera's values and the dialog's.
  Text GetSettingsText();
  // The error of the last step that failed; every step clears it first.
  const Text& Error() const { return error_; }
  // The largest face on the taken picture (`jpeg`, shown at Angle()), in the pixels of the
  // file as stored; nothing when there is none or the face model cannot be had.
  std::optional<face::PictureFace> FindPictureFace(std::span<const std::uint8_t> jpeg);
  // Lets go of the settings dialog, the camera and the message thread, in that order, each
  // step whatever became of the one before; the destructor does it when nobody did.
  // Error() then tells of a disconnection that failed.
  void FormDestroy();

  // A seam for benchmarks alone, which time the dialog's own work. `frame` gets each
  // live-view frame with the dialog's handling of it (which answers the size the frame is
  // shown at) and the painting of the window now; false from it ends the dialog as Cancel
  // does. `picture_ready` hears the camera's notice of a new picture first, and
  // `camera_gone` the dialog noticing that the camera went away.
  struct Probe {
    using Handle = std::function<SIZE()>;
    using Paint = std::function<void()>;
    std::function<bool(JpegBytes frame, const Handle& handle, const Paint& paint)> frame;
    std::function<void()> picture_ready;
    std::function<void()> camera_gone;
  };
  void SetProbe(Probe probe);

 private:
  // --- Connection (each answers success; Error() tells why not) ---
  bool ConnectToCamera();
  void DisconnectFromCamera();
  bool OpenCamera(bool ProbeParams);
  bool CloseCamera();
  bool SetViewfinder(bool Open);
  void UpdateButtons();
  void SetRunCaption(bool connected);
  void FormShow();
  bool FormKeyDown(WORD key) override;

  // --- Live view ---
  // Turns the view to `ang` degrees (normalised into 0..270).
  void DoSetRotate(int ang);
  void paBordResize(ui::Component&);
  void Panel3Resize(ui::Component&);
  void CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType& Metadata);
  // The item that shows the live view now, and the size the frame is rendered at.
  ui::Painted& ShownView(Rect& size) const;
  void PaintLiveView(HDC dc, const RECT& bounds);
  void PaintDelay(HDC dc, const RECT& bounds);
  void SetOverlayText(Text text);
  void SetSkinMessage(TextView text);

  // --- Taking the picture ---
  bool TakePicture();
  void PictureTaken();
  void UpdateValueDelay(int del);
  void ShowInfoText(TextView Message, unsigned Interval);
  void btRelClick(ui::Component&);
  void btRelMouseDown(ui::Component&);
  void timHalfShutterTimer(ui::Component&);
  void timAutoTimer(ui::Component&);
  void btCancelClick(ui::Component&);
  void btSettingsXClick(ui::Component&);
  void timSettingsTimer(ui::Component&);
  void timInfoEndTimer(ui::Component&);
  // The button row with its bevel, which automatic and settings-only runs hide.
  int ButtonRowHeight() const { return paButtons->Height() + beButtons->Height(); }

  // --- Camera values and the settings text ---
  void GetCameraValues();
  // Reads the camera's values and selects them in the changed list, or in every list.
  void UpdateComboValues(std::optional<ValueList> co = std::nullopt);
  // Sends the changed list's value, or every list's, to the camera.
  void SetCameraValues(std::optional<ValueList> co = std::nullopt);
  Text GetComboValue(const ui::ComboBox& combo) const;
  void ApplySettingsText(TextView Text);
  void ShowSettingsDialog();

  // --- Focus ---
  void btFocusFarXMouseDown(ui::Component& sender);
  void timFocusRepeatTimer(ui::Component&);
  void btFocusFarXMouseUp(ui::Component&);
  void btAutoFocusClick(ui::Component&);
  void timAutoFocusDoneTimer(ui::Component&);
  // Stops the camera's live-view autofocus: always when forced, else only while one runs.
  // True when the camera took the command.
  bool StopAutoFocus(bool Force);

  // --- A camera that goes away and comes back (dialog/reconnect.cpp) ---
  // The camera is gone: the words over the view, the buttons disabled, the connection let
  // go with the SDK kept running, and a look for a camera once a second.
  void CameraGone();
  // Lets go of live view, remote mode and the session whatever the camera answers.
  void LetGoOfTheCamera() noexcept;
  void timReconnectTimer(ui::Component&);
  // Connects to the camera found, starts remote mode, gives it the values it had and
  // opens live view; false when a step failed (and nothing is left open).
  bool Reconnect();
  // What the view says while no camera is there, or nothing.
  Text GoneText() const;

  // --- The ID-photo guide (dialog/face_guide.cpp) ---
  // On while the settings or the host's input ask for it (and live view shows): the model
  // loaded and the worker started, or "Face guide unavailable" said once.
  bool FaceGuideWanted() const { return face_guide_setting_ || face_guide_host_; }
  void UpdateFaceGuide();
  void StopFaceGuide() noexcept;
  // Forgets what the guide found so far: its state and its worker's pending result.
  void ForgetFaceGuide();
  // The state and its words as the operator reads them (translated once per state).
  void SetFaceState(face::Guidance state);
  // The frame just rendered to the worker, and the newest result from it.
  void FaceGuideFrame();
  // The guide, the face's box and eye line and the state's words over the view shown in
  // `view` (the frame's place on the DC).
  void PaintFaceGuide(HDC dc, const RECT& view) const;
  // The face model, read by the guide's worker or else here at the first need, and kept.
  std::shared_ptr<const face::FaceModel> FaceModel();
  // The guide cannot run: said once, and an automatic run releases without it.
  void FaceGuideUnavailable();

  // --- Camera events ---
  void CamRemoteEvent(EventCallbackType Event);
  void CamRemoteRemoteEvent(RemoteEventCallbackType Event, const AdditionNotifyRemoteEventType& EventData);

  // --- Skins (dialog/skin.cpp) ---
  // The skin of that name from the skin folders, or for the empty name (and after any
  // failure, with its message) the standard look.
  void LoadSkin(TextView skin);
  // Turns the skin to `angle` (clockwise) and shapes the window by its mask; false when
  // the mask leaves no window.
  bool ApplySkinShape(int angle);
  void RotateSkinControl(int delta, ui::Item& control);
  void FillSkinFields();
  layout::LayoutControl* SkinItem(SkinPart part) const;
  layout::LayoutControl* conMask() const { return SkinItem(SkinPart::Mask); }
  layout::LayoutControl* conVF() const { return SkinItem(SkinPart::View); }
  // The skin's photo place while a skin shows, the live view's size in it and its painting.
  ui::Painted* SkinView() const;
  Rect SkinViewRect() const;
  // The live-view frame's size as the view shows it (sides swapped at 90 and 270
  // degrees); 0 x 0 before the first frame.
  SIZE ShownFrameSize() const;
  void PaintSkinView(HDC dc, const RECT& bounds);
  void ShowStandardLook();
  // A skin's button: its click area, the standard look's button whose state it follows,
  // its pictures, the words of a skin without it, and its caption field.
  struct SkinButton {
    ui::Painted* label;
    ui::Button* button;
    SkinPart normal, down, over;
    const char16_t* missing;
    const char16_t* field;
    const char16_t* caption;
  };
  std::array<SkinButton, 3> SkinButtons() const;
  // One the host hides or forbids, or the camera's state disables, cannot be used: its
  // click area is inert and its picture and caption are not drawn.
  static bool SkinButtonUsable(const SkinButton& b);
  void UpdateSkinButtons();
  void SetSkinButtonCaptions();

  // Components.
  ui::Panel* paNoSkin = nullptr;
  ui::Panel* paButtons = nullptr;
  ui::Bevel* beButtons = nullptr;
  ui::Panel* Panel3 = nullptr;
  ui::Panel* paBord = nullptr;
  ui::Panel* paImx = nullptr;
  ui::Shape* shImx = nullptr;
  ui::Panel* paIm = nullptr;
  ui::Painted* ImageR = nullptr;
  ui::Painted* Image1 = nullptr;
  ui::Painted* laDelay = nullptr;
  ui::ToolButton* btSettings = nullptr;
  ui::ToolButton* btFocusFar = nullptr;
  ui::ToolButton* btFocusNear = nullptr;
  ui::ToolButton* btAF = nullptr;
  ui::Button* btRel = nullptr;
  ui::Button* btCancel = nullptr;
  ui::Panel* paSkin = nullptr;
  ui::Painted* lumlabTakePicture = nullptr;
  ui::Painted* lumlabSettings = nullptr;
  ui::Painted* lumlabCancel = nullptr;
  ui::Timer* timSettings = nullptr;
  ui::Timer* timAuto = nullptr;
  ui::Timer* timInfoEnd = nullptr;
  ui::Timer* timHalfShutter = nullptr;
  ui::Timer* timFocusRepeat = nullptr;
  ui::Timer* timAutoFocusDone = nullptr;
  ui::Timer* timReconnect = nullptr;
  static const ui::Row<TdlgCanonEosSDK> kRows[];

  TCamRemote CamRemote;
  std::unique_ptr<TdlgCanonEosSdkSettings> FSettings;
  std::unique_ptr<TMessageThread> FMessageThread;

  // State of the connection and the run.
  bool FCameraConnected = false;
  bool FCameraActive = false;
  bool FCameraReleaseActive = false;
  ConnectInfoType FCameraInfo;
  RemoteFuncType FCameraCapability;
  ReleaseModeType FCameraReleaseMode = ReleaseModeOnlyToPC;
  bool FCameraVF = false;
  bool FCameraProbeDone = false;
  OfferedLists FCameraRemoteSettings;
  Text FImageMode;
  Text FCurrentSkin;
  bool FCanAF = false;
  bool FVFFirstImageDone = false;
  bool FAuto = false;
  bool row_shrunk_ = false;  // the window lost the button row's height for an automatic run
  std::int32_t FThumbnailsToReceive = 0;
  std::int32_t FPicturesToReceive = 0;
  Text FSDKVersion;
  int FPreviewW = 0;
  int FPreviewH = 0;
  bool FPreviewSizeSet = false;
  bool FFocusDone = false;
  int FAngle = 0;
  bool FMirror = false;
  FocusHold FFocusHold;  // the held focus button's step and repeat count
  bool FCameraAutoFocusing = false;
  int FSkinAng = 0;
  int FSkinH = 0;
  int FSkinW = 0;
  Text error_;
  bool destroyed_ = false;
  bool camera_gone_ = false;
  // The ten values as the camera held them last: what a camera that comes back is given.
  RemoteReleaseParametersType last_values_;

  RunOptions options_;
  RunChoices choices_;
  Text file_;                          // where the picture goes
  bool viewfinder_supported_ = false;  // the camera has live view
  bool face_guide_setting_ = false;    // the settings text's FaceGuide
  bool face_guide_host_ = false;       // the host's FaceGuide=1 for this run
  bool release_when_framed_ = false;   // an automatic run of the host's guide, not released yet
  bool face_unavailable_said_ = false;
  std::shared_ptr<const face::FaceModel> face_model_;
  std::unique_ptr<face::FaceWorker> face_worker_;
  std::function<std::shared_ptr<const face::FaceModel>()> worker_model_;  // the model a worker read
  bool face_loading_ = false;                                             // the worker reads the model
  face::FaceTemplate face_template_;
  std::optional<face::ViewFaces> face_view_;  // the newest result, in the view's coordinates
  face::Guidance face_state_ = face::Guidance::kNoFace;
  Text face_words_;

  std::array<layout::LayoutControl*, static_cast<size_t>(SkinPart::DragArea)> skin_parts_{};
  // The standard look's outer size, while a skin replaces it.
  std::optional<SIZE> standard_size_;

  // The live view as it is on screen, and the text over it.
  imaging::LiveViewRenderer view_;
  Text delay_text_;
  bool skin_message_shown_ = false;
  win::Gdi<HFONT> delay_font_;
  win::Gdi<HFONT> gone_font_;  // the longer words of a camera that is gone
  win::Gdi<HFONT> face_font_;  // the face guide's words
  // The guide's lines while it waits and once framed, and the face's; made with its worker.
  win::Gdi<HPEN> waiting_pen_, framed_pen_, face_pen_;
  Probe probe_;
};

}  // namespace eos
