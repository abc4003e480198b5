// Pictures: taken when the shutter opens, rendered and encoded once, kept where SaveTo
// says; movies left on the card when a recording ends.
#include "simulator/core/sdk_state.h"

#include <algorithm>

#include "base/cfile.h"
#include "simulator/core/jpeg.h"

namespace eos::sim {
namespace {

constexpr int kPictureQuality = 90;
constexpr char kCardFolder[] = "DCIM\\100CANON\\";

// "IMG_0001.JPG", "IMG_0002.CR2" (RAW qualities), "MVI_0003.MOV".
std::string FileName(const char* prefix, uint32_t number, const char* extension) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s_%04u.%s", prefix, number % 10000, extension);
  return buf;
}
std::string PictureName(uint32_t number, uint32_t quality) {
  const uint32_t format = (quality >> 20) & 0xF;
  return FileName("IMG", number, format == 6 || format == 2 ? "CR2" : "JPG");
}

}  // namespace

// What the camera sees at a frame: the scene, or the scenario's photo on its backdrop. Live view
// shows the frame number over the photo too, the pictures taken the photo alone.
Image Sdk::State::Sight(int width, int height, uint32_t frame, int focus, bool live) {
  if (!photo) return RenderScene(width, height, frame, focus);
  Image img = RenderPhoto(*photo, scenario.subjects, width, height, frame, scenario.look);
  if (live) DrawFrameNumber(img, frame);
  return img;
}

void Sdk::State::Render(Picture& p) {
  if (p.data) return;
  const Image img = Sight(p.width, p.height, p.number, p.focus, false);
  p.data = std::make_shared<const std::vector<uint8_t>>(EncodeJpeg(img, kPictureQuality));
  // The small picture the camera stores with each one.
  p.thumb = std::make_shared<const std::vector<uint8_t>>(EncodeJpeg(Sight(160, 120, p.number, p.focus, false), 80));
}

Picture Sdk::State::NewPicture(Device& d, std::string path, bool on_card) {
  Picture p;
  p.id = next_picture++;
  p.path = std::move(path);
  p.on_card = on_card;
  p.number = d.frame;
  p.focus = d.focus;
  if (scenario.picture_width > 0) {
    p.width = scenario.picture_width;
    p.height = scenario.picture_height;
  } else {
    PictureSizeFor(d.props.UInt32(kEdsPropID_ImageQuality), &p.width, &p.height);
  }
  return p;
}

// The shutter opens: a picture of the scene as it is now goes where SaveTo says.
EdsError Sdk::State::Shoot(int device) {
  Device& d = devices[static_cast<size_t>(device)];
  const uint32_t save_to = d.props.UInt32(kEdsPropID_SaveTo);
  const bool to_card = save_to == kEdsSaveTo_Camera || save_to == kEdsSaveTo_Both;
  const bool to_host = save_to == kEdsSaveTo_Host || save_to == kEdsSaveTo_Both;
  if (to_card && !scenario.card) return EDS_ERR_TAKE_PICTURE_CARD_NG;
  ++d.frame;
  const std::string name = PictureName(d.next_number++, d.props.UInt32(kEdsPropID_ImageQuality));
  Picture shot = NewPicture(d, name, false);
  Render(shot);  // the exposure happens now, whatever the scene does later
  if (scenario.picture_bytes > shot.data->size()) {
    std::vector<uint8_t> padded = *shot.data;
    PadJpeg(padded, scenario.picture_bytes);
    shot.data = std::make_shared<const std::vector<uint8_t>>(std::move(padded));
  }
  if (!scenario.copies_folder.empty()) KeepCopy(shot);
  if (to_host) {
    d.pictures.push_back(shot);
    PostObject(device, kEdsObjectEvent_DirItemRequestTransfer, shot.id);
  }
  if (to_card) {
    Picture stored = shot;
    stored.id = next_picture++;
    stored.on_card = true;
    stored.path = kCardFolder + name;
    d.pictures.push_back(stored);
    d.props.PutUInt32(kEdsPropID_AvailableShots, std::max<uint32_t>(d.props.UInt32(kEdsPropID_AvailableShots), 1) - 1);
    PostObject(device, kEdsObjectEvent_DirItemCreated, stored.id);
    PostProperty(device, kEdsPropID_AvailableShots);
  }
  if (scenario.live_view_off_while_shooting && d.props.UInt32(kEdsPropID_Evf_OutputDevice) != 0) {
    d.props.PutUInt32(kEdsPropID_Evf_OutputDevice, 0);
    PostProperty(device, kEdsPropID_Evf_OutputDevice);
  }
  return EDS_ERR_OK;
}

// The scenario's copy of a picture, for tests that compare what they downloaded.
void Sdk::State::KeepCopy(const Picture& p) {
  const std::string path = scenario.copies_folder + "/" + p.path;
  CFile f(std::fopen(path.c_str(), "wb"));
  const bool written = f && std::fwrite(p.data->data(), 1, p.data->size(), f.get()) == p.data->size() && f.Close();
  if (!written && setup.complain) setup.complain("cannot write the copy \"" + path + "\"");
}

// Ending a recording leaves a movie on the card, announced like a picture stored there.
// Its content is a still of the scene: nothing reads movies here but their names.
void Sdk::State::StoreMovie(int device) {
  Device& d = devices[static_cast<size_t>(device)];
  ++d.frame;
  Picture movie = NewPicture(d, kCardFolder + FileName("MVI", d.next_number++, "MOV"), true);
  movie.width = 1920;
  movie.height = 1080;
  d.pictures.push_back(movie);
  PostObject(device, kEdsObjectEvent_DirItemCreated, movie.id);
}

void Sdk::State::Autofocus(Device& d) {
  if (!scenario.focus_fails) d.focus = kFocusSharp;
}

}  // namespace eos::sim
