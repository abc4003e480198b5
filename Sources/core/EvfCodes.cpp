#include "Sources/core/EvfCodes.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "Sources/core/EDSDKERRORS.h"

namespace eos {
namespace {

// Sorted by code. The spellings are the system's own and are kept as they stand.
constexpr SdkErrorEntry kEvfErrorTexts[] = {
    {0x0001, "Unimplemented"},
    {0x0002, "Internal error"},
    {0x0003, "Memory allocation failed"},
    {0x0004, "Memory free failed"},
    {0x0005, "Operation cancelled"},
    {0x0006, "Incompatible version"},
    {0x0007, "Not supported"},
    {0x0008, "Unexpected exception"},
    {0x0009, "Protection violation"},
    {0x000A, "Mission subcomponent"},
    {0x000B, "Selection unavailable"},
    {0x0021, "Invalid parameter"},
    {0x0022, "Invalid handle"},
    {0x0061, "Invalid function call"},
    {0x0062, "Wait timeout error"},
    {0x0063, "Insufficient buffer"},
    {0x0064, "Event callback exists"},
    {0x2000, "Undefined"},
    {0x2002, "General error"},
    {0x2003, "Session not ppen"},
    {0x2004, "Invalid transaction ID"},
    {0x2005, "Operation not supported"},
    {0x2006, "Parameter not supported"},
    {0x2007, "Incomplete transfer"},
    {0x2008, "Invalid storage ID"},
    {0x2009, "Invalid object handle"},
    {0x200A, "Device property not supported"},
    {0x200B, "Invalid object format code"},
    {0x200C, "Store full"},
    {0x200D, "Object write protected"},
    {0x200E, "Store read only"},
    {0x200F, "Access denied"},
    {0x2010, "No thumbnail present"},
    {0x2011, "Self test failed"},
    {0x2012, "Partial deletion"},
    {0x2013, "Store not available"},
    {0x2014, "Specification by format unsupported"},
    {0x2015, "No valid object info"},
    {0x2016, "Invalid code format"},
    {0x2017, "Unknown vendor code"},
    {0x2018, "Capture already terminated"},
    {0x2019, "Device busy"},
    {0x201A, "Invalid parent object"},
    {0x201B, "Invalid device property format"},
    {0x201C, "Invalid device property value"},
    {0x201D, "Invalid parameter"},
    {0x201E, "Session already open"},
    {0x201F, "Transaction cancelled"},
    {0x2020, "Specification of destination unsupported"},
    {0xA000, "Extension undefined"},
    {0xA001, "Extension unknown command received"},
    {0xA002, "Extension memoey allocation failed"},
    {0xA003, "Extension internal error"},
    {0xA004, "Extension dir IO error"},
    {0xA005, "Extension refused by other process"},
    {0xA006, "Extension cover closed"},
    {0xA007, "Extension no release"},
    {0xA008, "Extension device is hot"},
    {0xA009, "Extension low battery"},
    {0xA00A, "Extension already exit"},
};
static_assert(std::size(kEvfErrorTexts) == 60);
static_assert(std::is_sorted(std::begin(kEvfErrorTexts), std::end(kEvfErrorTexts),
                             [](const SdkErrorEntry& a, const SdkErrorEntry& b) { return a.code <= b.code; }),
              "codes must be ascending and unique");

// The code column of each live-view list, indexed by ordinal.
template <class E>
struct EvfCodes;
#define EOS_EVF_CODE(name, code) code,
#define EOS_EVF_CODE_TABLE(Type)                                                                     \
  template <>                                                                                        \
  struct EvfCodes<Type> {                                                                            \
    static constexpr std::array<EdsUInt32, kEnumCount<Type>> table{EOS_VALUES_##Type(EOS_EVF_CODE)}; \
  }
EOS_EVF_CODE_TABLE(RemoteViewFinderDriveLensType);
EOS_EVF_CODE_TABLE(RemoteViewFinderAFModeType);
EOS_EVF_CODE_TABLE(RemoteViewFinderZoomType);
#undef EOS_EVF_CODE_TABLE
#undef EOS_EVF_CODE

template <class E>
EdsUInt32 TableCode(E v) {
  const auto& table = EvfCodes<E>::table;
  return InEnumRange(v) ? table[v] : table[0];
}

}  // namespace

Text EvfErrorText(EdsError value) { return LookUpErrorText(kEvfErrorTexts, value); }

Text EvfDownloadErrorMessage(EdsError value) {
  return SdkErrorMessage(u"EdsDownloadEvfImage", value, EvfErrorText(value));
}

EvfDownloadOutcome ClassifyEvfDownload(EdsError result) {
  switch (result) {
    case EDS_ERR_OK:
      return EvfDownloadOutcome::Frame;
    case EDS_ERR_OBJECT_NOTREADY:
    case EDS_ERR_INVALID_HANDLE:
    case EDS_ERR_DEVICE_BUSY:
      return EvfDownloadOutcome::Skip;
    case EDS_ERR_COMM_DISCONNECTED:
      return EvfDownloadOutcome::Stop;
    default:
      return EvfDownloadOutcome::Fail;
  }
}

EdsUInt32 EvfCode(RemoteViewFinderDriveLensType v) { return TableCode(v); }
EdsUInt32 EvfCode(RemoteViewFinderAFModeType v) { return TableCode(v); }
EdsUInt32 EvfCode(RemoteViewFinderZoomType v) { return TableCode(v); }

RemoteViewFinderAFModeType EvfAFModeFromCode(EdsUInt32 code) {
  const auto& table = EvfCodes<RemoteViewFinderAFModeType>::table;
  const EdsUInt32 low = code & 0xFFu;
  for (std::size_t i = RemoteViewFinderAFModeQuick; i < table.size(); ++i)
    if (table[i] == low) return static_cast<RemoteViewFinderAFModeType>(i);
  return RemoteViewFinderAFModeQuick;
}

AFFocusInfoType FocusInfoFromRecord(const EdsFocusInfo& record) {
  AFFocusInfoType info;
  info.PictureSize = {record.imageRect.size.width, record.imageRect.size.height};
  info.NrOfFrames = static_cast<std::int32_t>(record.pointNumber);
  const std::size_t used = std::min<std::size_t>(record.pointNumber, info.Frames.size());
  for (std::size_t i = 0; i < used; ++i) {
    const EdsFocusPoint& point = record.focusPoint[i];
    AFFrameType& frame = info.Frames[i];
    frame.FrameUsed = true;
    frame.FrameValid = point.selected > 0;
    frame.FrameSelected = (point.justFocus & 1u) != 0;
    frame.FrameRect = {point.rect.point.x, point.rect.point.y, point.rect.size.width, point.rect.size.height};
  }
  return info;
}

}  // namespace eos
