// Live view's codes: the frame download's error table and outcomes, the live-view value
// codes both ways and the focus-point record.
#include <gtest/gtest.h>

#include <cstring>

#include "Sources/core/EDSDKERRORS.h"
#include "Sources/core/EvfCodes.h"

namespace eos {
namespace {

struct TextCase {
  EdsError code;
  const char* text;
};

// Both ends of the table, each family, and the spellings that are the system's own.
const TextCase kEvfTexts[] = {
    {0x00000001, "Unimplemented"},
    {0x0000000B, "Selection unavailable"},
    {0x00000021, "Invalid parameter"},
    {0x00000022, "Invalid handle"},
    {0x00000061, "Invalid function call"},
    {0x00000064, "Event callback exists"},
    {0x00002000, "Undefined"},
    {0x00002003, "Session not ppen"},
    {0x00002019, "Device busy"},
    {0x0000201D, "Invalid parameter"},
    {0x00002020, "Specification of destination unsupported"},
    {0x0000A000, "Extension undefined"},
    {0x0000A002, "Extension memoey allocation failed"},
    {0x0000A00A, "Extension already exit"},
};

TEST(EvfErrorText, ListedCodesGiveTheirTextWhateverTheHighBits) {
  for (const EdsError high : {0x00000000u, 0x80000000u, 0xFFFF0000u})
    for (const auto& c : kEvfTexts)
      EXPECT_EQ(ToUtf8(EvfErrorText(high | c.code)), c.text) << std::hex << (high | c.code);
}

TEST(EvfErrorText, DiffersFromTheGeneralTable) {
  EXPECT_EQ(ToUtf8(EvfErrorText(0x2003)), "Session not ppen");
  EXPECT_EQ(ToUtf8(EDSDKErrorText(0x2003)), "PTP session not open");
  // Listed in the general table only.
  EXPECT_EQ(ToUtf8(EvfErrorText(0x81)), "Unkown error");
  EXPECT_EQ(ToUtf8(EvfErrorText(0xA102)), "Unkown error");
}

TEST(EvfErrorText, UnlistedCodesAreUnknown) {
  for (const EdsError code : {0x0u, 0xCu, 0x20u, 0x65u, 0x2001u, 0x2021u, 0x9FFFu, 0xA00Bu, 0xFFFFu})
    EXPECT_EQ(ToUtf8(EvfErrorText(code)), "Unkown error") << std::hex << code;
}

TEST(EvfDownloadErrorMessage, NamesTheDownloadAndAllThirtyTwoBits) {
  EXPECT_EQ(ToUtf8(EvfDownloadErrorMessage(2)), "EdsDownloadEvfImage errorcode 0x00000002, Internal error");
  EXPECT_EQ(ToUtf8(EvfDownloadErrorMessage(0x8000A00A)),
            "EdsDownloadEvfImage errorcode 0x8000A00A, Extension already exit");
}

TEST(ClassifyEvfDownload, SkipsNotReadyHandleAndBusyStopsOnDisconnect) {
  struct Case {
    EdsError result;
    EvfDownloadOutcome outcome;
  };
  const Case cases[] = {
      {0x0, EvfDownloadOutcome::Frame},    {0xA102, EvfDownloadOutcome::Skip},
      {0x61, EvfDownloadOutcome::Skip},    {0x81, EvfDownloadOutcome::Skip},
      {0xC1, EvfDownloadOutcome::Stop},    {0x2, EvfDownloadOutcome::Fail},
      {0x2019, EvfDownloadOutcome::Fail},  {0x8000A102, EvfDownloadOutcome::Fail},
      {0x100C1, EvfDownloadOutcome::Fail}, {0xFFFFFFFF, EvfDownloadOutcome::Fail},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<int>(ClassifyEvfDownload(c.result)), static_cast<int>(c.outcome)) << std::hex << c.result;
}

TEST(EvfCode, DriveLensStepsNotUsedIsTheSmallestNearStep) {
  const std::pair<RemoteViewFinderDriveLensType, EdsUInt32> cases[] = {
      {RemoteViewFinderDriveLensNotUsed, 0x0001}, {RemoteViewFinderDriveLensNear1, 0x0001},
      {RemoteViewFinderDriveLensNear2, 0x0002},   {RemoteViewFinderDriveLensNear3, 0x0003},
      {RemoteViewFinderDriveLensFar1, 0x8001},    {RemoteViewFinderDriveLensFar2, 0x8002},
      {RemoteViewFinderDriveLensFar3, 0x8003},    {static_cast<RemoteViewFinderDriveLensType>(200), 0x0001},
  };
  for (const auto& [value, code] : cases) EXPECT_EQ(EvfCode(value), code) << int{value};
}

TEST(EvfCode, AFModeAndZoom) {
  EXPECT_EQ(EvfCode(RemoteViewFinderAFModeNotUsed), 0u);
  EXPECT_EQ(EvfCode(RemoteViewFinderAFModeQuick), 0u);
  EXPECT_EQ(EvfCode(RemoteViewFinderAFModeLive), 1u);
  EXPECT_EQ(EvfCode(RemoteViewFinderAFModeLiveFace), 2u);
  EXPECT_EQ(EvfCode(RemoteViewFinderAFModeLiveMulti), 3u);
  EXPECT_EQ(EvfCode(static_cast<RemoteViewFinderAFModeType>(9)), 0u);
  EXPECT_EQ(EvfCode(RemoteViewFinderZoomFit), 1u);
  EXPECT_EQ(EvfCode(RemoteViewFinderZoomx5), 5u);
  EXPECT_EQ(EvfCode(RemoteViewFinderZoomx10), 10u);
  EXPECT_EQ(EvfCode(static_cast<RemoteViewFinderZoomType>(3)), 1u);
}

TEST(EvfAFModeFromCode, LowByteDecidesAndTheRestIsQuick) {
  const std::pair<EdsUInt32, RemoteViewFinderAFModeType> cases[] = {
      {0, RemoteViewFinderAFModeQuick},          {1, RemoteViewFinderAFModeLive},
      {2, RemoteViewFinderAFModeLiveFace},       {3, RemoteViewFinderAFModeLiveMulti},
      {4, RemoteViewFinderAFModeQuick},          {0xFF, RemoteViewFinderAFModeQuick},
      {0x102, RemoteViewFinderAFModeLiveFace},   {0xFFFFFF01, RemoteViewFinderAFModeLive},
      {0xFFFFFFFF, RemoteViewFinderAFModeQuick},
  };
  for (const auto& [code, value] : cases) EXPECT_EQ(int{EvfAFModeFromCode(code)}, int{value}) << std::hex << code;
}

EdsFocusInfo Record(EdsUInt32 points) {
  EdsFocusInfo r;
  std::memset(&r, 0xAB, sizeof r);  // what the record holds beyond the points must not leak in
  r.imageRect = {{10, 20}, {5472, 3648}};
  r.pointNumber = points;
  for (EdsUInt32 i = 0; i < kEdsMaxFocusPoints; ++i) {
    EdsFocusPoint& p = r.focusPoint[i];
    p.valid = 0;  // not read
    p.selected = i % 3;
    p.justFocus = i % 4;  // bit 0 counts: 1 and 3 are in focus
    p.rect = {{static_cast<EdsInt32>(i), static_cast<EdsInt32>(2 * i)}, {300, 200}};
  }
  return r;
}

TEST(FocusInfoFromRecord, MarksExactlyTheReportedPoints) {
  const AFFocusInfoType info = FocusInfoFromRecord(Record(9));
  EXPECT_EQ(info.PictureSize.Width, 5472);
  EXPECT_EQ(info.PictureSize.Height, 3648);
  EXPECT_EQ(info.NrOfFrames, 9);
  for (int i = 0; i < kAFFrameCount; ++i) {
    const AFFrameType& f = info.Frames[static_cast<size_t>(i)];
    EXPECT_EQ(f.FrameUsed, i < 9) << i;
    if (i >= 9) {
      EXPECT_FALSE(f.FrameValid || f.FrameSelected) << i;
      EXPECT_EQ(f.FrameRect.Width, 0) << i;
      continue;
    }
    EXPECT_EQ(f.FrameValid, i % 3 > 0) << i;
    EXPECT_EQ(f.FrameSelected, i % 4 == 1 || i % 4 == 3) << i;
    EXPECT_EQ(f.FrameRect.X, i);
    EXPECT_EQ(f.FrameRect.Y, 2 * i);
    EXPECT_EQ(f.FrameRect.Width, 300);
    EXPECT_EQ(f.FrameRect.Height, 200);
  }
}

TEST(FocusInfoFromRecord, ACountBeyondTheRecordFillsAllPointsAndIsReportedAsGiven) {
  for (const EdsUInt32 points : {128u, 129u, 0xFFFFFFFFu}) {
    const AFFocusInfoType info = FocusInfoFromRecord(Record(points));
    EXPECT_EQ(info.NrOfFrames, static_cast<std::int32_t>(points));
    for (const AFFrameType& f : info.Frames) EXPECT_TRUE(f.FrameUsed);
  }
  const AFFocusInfoType none = FocusInfoFromRecord(Record(0));
  for (const AFFrameType& f : none.Frames) EXPECT_FALSE(f.FrameUsed);
}

}  // namespace
}  // namespace eos
