#include "face/check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

#include "face/guide.h"

namespace eos::face {

namespace {

// The ID photo's template, as the framing guide has it: a 35 x 45 crop, the head (chin to
// crown) 70 to 80 % of its height, its centre within 5 % of (0.5, 0.45), the eye line
// within 5 degrees of level. The first three are the ICAO 9303 portrait's proportions
// (after ISO/IEC 19794-5's full-frontal image); the portrait rules allow the head some
// degrees of roll, and the guide's stricter 5 degrees is kept so that a picture the guide
// called framed passes here too.
constexpr FaceTemplate kTemplate{};

// One face, as the portrait rules ask. Faces of less than a third of the main face's
// width are not counted: a person behind the subject shows at about half its size or
// more, while the detector's smallest boxes on a plain background are not people.
constexpr double kOtherFaceMinWidth = 1.0 / 3;

// Exposure of the face (the mean and share of clipped samples: ISO/IEC 29794-5's
// luminance mean and under- and over-exposure, whose figures it leaves to the
// application). A portrait's skin sits in the middle tones; a mean below a quarter of the
// range is an underexposed face and above 0.8 a washed-out one; the ICAO rules ask that
// no part of the face be lost to black or white, and 5 % of the face's samples at the
// ends of the range is a visible patch.
constexpr double kFaceMeanMin = 0.25;
constexpr double kFaceMeanMax = 0.80;
constexpr int kBlackAt = 8;    // samples at or below: clipped to black (8-bit)
constexpr int kWhiteAt = 247;  // at or above: clipped to white
constexpr double kClippedMax = 0.05;

// Contrast of the face (ISO/IEC 29794-5's luminance variance and dynamic range). Both are
// taken relative to the face's brightness, so that an exposure that is only darker or
// brighter does not count here as well: the spread is the standard deviation over the
// mean, the range the stops between the 2nd and 98th percentiles. A face with less than
// a tenth of spread or one stop of range is flat (fog, a veiling flare, a washed-out
// print) and its features do not show, which the portrait rules require.
constexpr double kSpreadMin = 0.10;
constexpr double kRangeMinStops = 1.0;

// Illumination balance (ISO/IEC 29794-5's illumination uniformity; the ICAO rules ask for
// even light, with no shadow across the face): the difference between the mean brightness
// of the face's two halves over the face's mean. Side light that leaves one cheek at 70 %
// of the other reads 0.35.
constexpr double kBalanceMax = 0.30;

// Sharpness of the face (ISO/IEC 29794-5's sharpness, measured here without its trained
// part): the mean absolute Laplacian of the face over its standard deviation, which an
// exposure leaves alone. It grows as the face gets smaller on the search's plane: a face
// in focus reads 0.29 (a camera on its side, the face at its largest) to 0.42 (a head of
// half the crop) on the stand-in's pictures, one blurred by a hundredth of the picture's
// height 0.05. The figure is this code's own, set between the two with room on both
// sides.
constexpr double kSharpnessMin = 0.15;

// Background (the portrait rules' plain, uniform background; ISO/IEC 29794-5's
// background uniformity): the band around the head from its sides up over its crown,
// within the crop, its standard deviation over its mean. A plain backdrop reads a few
// hundredths; a backdrop lit from one side, or with a shadow or objects in it, more than
// 0.1.
constexpr double kBackgroundSpreadMax = 0.08;
// The band: between the head's oval grown by these factors (the oval of the guide, 0.74
// of the head's height wide), down to the mouth's level.
constexpr double kBandInner = 1.25;
constexpr double kBandOuter = 1.9;
constexpr double kOvalWidth = 0.74;
constexpr double kBandBottom = 0.2;  // of the head's height below the eye line

// The face's samples: a rectangle along the eye line, in eye distances from the eyes'
// midpoint, across from cheek to cheek and down from the forehead to the chin.
constexpr double kFaceAcross = 0.9;
constexpr double kFaceUp = 0.4;
constexpr double kFaceDown = 1.5;
// Each half of the face for the balance, leaving out the nose's strip.
constexpr double kNoseStrip = 0.15;

const std::vector<MeasureRule> kRules = {
    {"HeadSize", Fault::kHeadSize, kTemplate.head_min, kTemplate.head_max},
    {"HeadPosition", Fault::kHeadPosition, 0, kTemplate.centre_tolerance},
    {"Roll", Fault::kRoll, 0, kTemplate.max_roll_degrees},
    {"Faces", Fault::kFaces, 1, 1},
    {"Luminance", Fault::kDark, kFaceMeanMin, 1},
    {"Black", Fault::kDark, 0, kClippedMax},
    {"Luminance", Fault::kBright, 0, kFaceMeanMax},
    {"White", Fault::kBright, 0, kClippedMax},
    {"Spread", Fault::kContrast, kSpreadMin, 1e9},
    {"Range", Fault::kContrast, kRangeMinStops, 1e9},
    {"Balance", Fault::kUnevenLight, 0, kBalanceMax},
    {"Sharpness", Fault::kBlurred, kSharpnessMin, 1e9},
    {"Background", Fault::kBackground, 0, kBackgroundSpreadMax},
};

const MeasureRule* Rule(std::string_view name, Fault fault) {
  for (const MeasureRule& r : kRules)
    if (r.name == name && r.fault == fault) return &r;
  return nullptr;
}

// Running sums of samples, with their histogram.
struct Samples {
  std::array<uint32_t, 256> histogram{};
  uint64_t count = 0;
  double sum = 0, squares = 0;

  void Add(uint8_t v) {
    ++histogram[v];
    ++count;
    sum += v;
    squares += static_cast<double>(v) * v;
  }
  double Mean() const { return count ? sum / static_cast<double>(count) : 0; }
  double Deviation() const {
    if (!count) return 0;
    const double mean = Mean();
    return std::sqrt(std::max(0.0, squares / static_cast<double>(count) - mean * mean));
  }
  // The sample below which `share` of them lie.
  int Percentile(double share) const {
    const double wanted = share * static_cast<double>(count);
    double seen = 0;
    for (int v = 0; v < 256; ++v) {
      seen += histogram[static_cast<size_t>(v)];
      if (seen > wanted) return v;
    }
    return 255;
  }
  double ShareAtMost(int v) const {
    uint64_t n = 0;
    for (int i = 0; i <= v; ++i) n += histogram[static_cast<size_t>(i)];
    return count ? static_cast<double>(n) / static_cast<double>(count) : 0;
  }
  double ShareAtLeast(int v) const { return v > 0 ? 1 - ShareAtMost(v - 1) : 1; }
};

// The pixels (x, y) of the plane within [x0, x1) x [y0, y1), cut to the plane.
template <typename Visit>
void ForEachPixel(const GreyView& g, double x0, double y0, double x1, double y1, Visit&& visit) {
  const int xa = std::max(0, static_cast<int>(std::floor(x0))), xb = std::min(g.width, static_cast<int>(std::ceil(x1)));
  const int ya = std::max(0, static_cast<int>(std::floor(y0))),
            yb = std::min(g.height, static_cast<int>(std::ceil(y1)));
  for (int y = ya; y < yb; ++y) {
    const uint8_t* row = g.row(y);
    for (int x = xa; x < xb; ++x) visit(x, y, row[x]);
  }
}

struct FaceFrame {
  PointF middle;                // between the eyes
  double eyes = 0;              // their distance
  double cosine = 1, sine = 0;  // of the eye line's angle
  // A pixel's centre in eye distances along the eye line and down from it.
  PointF Local(int x, int y) const {
    const double dx = x + 0.5 - middle.x, dy = y + 0.5 - middle.y;
    return {(dx * cosine + dy * sine) / eyes, (dy * cosine - dx * sine) / eyes};
  }
};

double RollDegrees(const Face& face) {
  double roll = std::atan2(face.eyes[1].y - face.eyes[0].y, face.eyes[1].x - face.eyes[0].x) * 180 / std::numbers::pi;
  if (roll > 90) roll -= 180;
  if (roll < -90) roll += 180;
  return roll;
}

}  // namespace

std::string_view FaultName(Fault fault) {
  constexpr std::string_view kNames[kFaultCount] = {"HeadSize", "HeadPosition", "Roll",        "Faces",   "Dark",
                                                    "Bright",   "Contrast",     "UnevenLight", "Blurred", "Background"};
  return kNames[static_cast<int>(fault)];
}

std::string_view FaultText(Fault fault) {
  constexpr std::string_view kTexts[kFaultCount] = {
      "The head is too small or too large",
      "The head is not in the middle",
      "The head is tilted",
      "Not exactly one face",
      "The face is too dark",
      "The face is too bright",
      "The face has too little contrast",
      "The face is lit unevenly",
      "The face is blurred",
      "The background is not even",
  };
  return kTexts[static_cast<int>(fault)];
}

const std::vector<MeasureRule>& MeasureRules() { return kRules; }

CheckResult CheckPicture(const GreyView& upright, const std::vector<Face>& faces) {
  CheckResult result;
  const auto add = [&](std::string_view name, Fault fault, double value) {
    result.values.push_back({Rule(name, fault), value});
  };
  int count = 0;
  for (const Face& f : faces)
    if (f.box.width >= kOtherFaceMinWidth * faces.front().box.width) ++count;
  add("Faces", Fault::kFaces, count);

  if (count > 0 && !upright.empty()) {
    const Face& face = faces.front();
    const Head head = EstimateHead(face);
    const Box crop = TemplateCrop(upright.width, upright.height, kTemplate);
    const double roll = RollDegrees(face);
    add("HeadSize", Fault::kHeadSize, head.height / crop.height);
    add("HeadPosition", Fault::kHeadPosition,
        std::max(std::abs((head.centre.x - crop.left) / crop.width - kTemplate.centre_x),
                 std::abs((head.centre.y - crop.top) / crop.height - kTemplate.centre_y)));
    add("Roll", Fault::kRoll, std::abs(roll));

    // The face's samples, along its own eye line whatever the roll.
    FaceFrame frame;
    frame.middle = head.centre;
    frame.eyes = std::max(1.0, head.height / kHeadPerEyeDistance);
    const double angle = roll * std::numbers::pi / 180;
    frame.cosine = std::cos(angle);
    frame.sine = std::sin(angle);
    const double reach = frame.eyes * std::hypot(kFaceAcross, std::max(kFaceUp, kFaceDown));
    Samples skin, left, right;
    double laplacian = 0;
    uint64_t laplacian_count = 0;
    ForEachPixel(upright, frame.middle.x - reach, frame.middle.y - reach, frame.middle.x + reach,
                 frame.middle.y + reach, [&](int x, int y, uint8_t v) {
                   const PointF p = frame.Local(x, y);
                   if (std::abs(p.x) > kFaceAcross || p.y < -kFaceUp || p.y > kFaceDown) return;
                   skin.Add(v);
                   if (p.x < -kNoseStrip) left.Add(v);
                   if (p.x > kNoseStrip) right.Add(v);
                   if (x > 0 && y > 0 && x + 1 < upright.width && y + 1 < upright.height) {
                     const int sum =
                         upright.row(y)[x - 1] + upright.row(y)[x + 1] + upright.row(y - 1)[x] + upright.row(y + 1)[x];
                     laplacian += std::abs(sum - 4 * static_cast<int>(v));
                     ++laplacian_count;
                   }
                 });
    const double mean = skin.Mean(), deviation = skin.Deviation();
    add("Luminance", Fault::kDark, mean / 255);
    add("Black", Fault::kDark, skin.ShareAtMost(kBlackAt));
    add("Luminance", Fault::kBright, mean / 255);
    add("White", Fault::kBright, skin.ShareAtLeast(kWhiteAt));
    add("Spread", Fault::kContrast, mean > 0 ? deviation / mean : 0);
    add("Range", Fault::kContrast, std::log2((skin.Percentile(0.98) + 1.0) / (skin.Percentile(0.02) + 1.0)));
    add("Balance", Fault::kUnevenLight, mean > 0 ? std::abs(left.Mean() - right.Mean()) / mean : 0);
    add("Sharpness", Fault::kBlurred,
        deviation > 0 && laplacian_count ? laplacian / static_cast<double>(laplacian_count) / deviation : 0);

    // The background band around the head, within the crop.
    const double inner_x = head.height * kOvalWidth / 2 * kBandInner, inner_y = head.height / 2 * kBandInner;
    const double outer_x = inner_x / kBandInner * kBandOuter, outer_y = inner_y / kBandInner * kBandOuter;
    const double bottom = head.centre.y + kBandBottom * head.height;
    Samples band;
    ForEachPixel(upright, std::max(crop.left, head.centre.x - outer_x), std::max(crop.top, head.centre.y - outer_y),
                 std::min(crop.right(), head.centre.x + outer_x), std::min(crop.bottom(), bottom),
                 [&](int x, int y, uint8_t v) {
                   const double dx = x + 0.5 - head.centre.x, dy = y + 0.5 - head.centre.y;
                   const double inner = (dx / inner_x) * (dx / inner_x) + (dy / inner_y) * (dy / inner_y);
                   const double outer = (dx / outer_x) * (dx / outer_x) + (dy / outer_y) * (dy / outer_y);
                   if (inner >= 1 && outer <= 1) band.Add(v);
                 });
    add("Background", Fault::kBackground, band.Mean() > 0 ? band.Deviation() / band.Mean() : 0);
  }

  for (const MeasureValue& m : result.values)
    if (!m.passed() && std::find(result.failed.begin(), result.failed.end(), m.rule->fault) == result.failed.end())
      result.failed.push_back(m.rule->fault);
  std::sort(result.failed.begin(), result.failed.end());
  return result;
}

std::string CheckVerdict(const CheckResult& result) {
  if (result.passed()) return "OK";
  std::string out;
  for (const Fault f : result.failed) out += (out.empty() ? "" : ",") + std::string(FaultName(f));
  return out;
}

std::string CheckValues(const CheckResult& result) {
  std::string out;
  std::vector<std::string_view> written;  // the face's mean bounds two faults: written once
  for (const MeasureValue& m : result.values) {
    if (std::find(written.begin(), written.end(), m.rule->name) != written.end()) continue;
    written.push_back(m.rule->name);
    char text[48];
    if (m.value == std::floor(m.value) && std::abs(m.value) < 1e6)
      std::snprintf(text, sizeof text, "%.0f", m.value);
    else
      std::snprintf(text, sizeof text, "%.3f", m.value);
    out += (out.empty() ? "" : ",") + std::string(m.rule->name) + ":" + text;
  }
  return out;
}

}  // namespace eos::face
