// The Canon EOS SDK (EDSDK.DLL) as this system uses it, written down once: its types,
// records, identifiers, codes, callback types and the list of the 54 entry points. The
// binding (EDSDKBinding.h) and the stand-in camera DLL both include this header, so the
// caller and the callee can never disagree about an argument list.
//
// Where this system does not depend on a detail of the SDK (argument lists of entry
// points it never calls, data-type numbers other than the time type, seek origins other
// than "begin"), the choice made here is our own and binds both sides.
//
// Free of <windows.h>: portable code may include it for the constants and records.
#pragma once

#include <cstddef>
#include <cstdint>

// Entry points and callbacks use the Windows standard calling convention (the callee
// pops its arguments; the 32-bit SDK exports _EdsCreateStream@8 under its decorated name,
// the 64-bit one, like every 64-bit DLL, decorates nothing). In 64 bits and in native builds,
// which only read the constants, the attribute would mean nothing.
#if defined(_WIN32) && !defined(_WIN64)
#define EDS_STDCALL __stdcall
#else
#define EDS_STDCALL
#endif

// ---------------------------------------------------------------------------------------
// Basic types
// ---------------------------------------------------------------------------------------

using EdsError = std::uint32_t;  // 0 success; the low 16 bits identify the error
using EdsUInt8 = std::uint8_t;
using EdsInt32 = std::int32_t;
using EdsUInt32 = std::uint32_t;
using EdsInt64 = std::int64_t;
using EdsUInt64 = std::uint64_t;
using EdsBool = std::int32_t;  // 0 false, 1 true; 32 bits wide in every record
using EdsChar = char;          // texts are 8-bit, ANSI code page, zero-terminated
using EdsVoid = void;
#if defined(_WIN32)
using EdsWChar = wchar_t;
#else
using EdsWChar = char16_t;
#endif

using EdsPropertyID = EdsUInt32;
using EdsCameraCommand = EdsUInt32;
using EdsCameraStatusCommand = EdsUInt32;
using EdsObjectEvent = EdsUInt32;
using EdsPropertyEvent = EdsUInt32;
using EdsStateEvent = EdsUInt32;
using EdsDataType = EdsUInt32;
using EdsSaveTo = EdsUInt32;
using EdsFileCreateDisposition = EdsUInt32;
using EdsAccess = EdsUInt32;
using EdsSeekOrigin = EdsUInt32;
using EdsProgressOption = EdsUInt32;
using EdsTargetImageType = EdsUInt32;
using EdsImageSource = EdsUInt32;
using EdsFileAttributes = EdsUInt32;

// Opaque references, counted by the SDK. Every kind is the same pointer type: the SDK
// checks what a reference is, the caller only holds and releases it.
struct EdsObject;
using EdsBaseRef = EdsObject*;
using EdsCameraListRef = EdsBaseRef;
using EdsCameraRef = EdsBaseRef;
using EdsVolumeRef = EdsBaseRef;
using EdsDirectoryItemRef = EdsBaseRef;
using EdsStreamRef = EdsBaseRef;
using EdsImageRef = EdsBaseRef;
using EdsEvfImageRef = EdsBaseRef;

// ---------------------------------------------------------------------------------------
// Result codes this system or the stand-in names. Every code with a text is listed with
// it in Sources/core/EDSDKERRORS.cpp.
// ---------------------------------------------------------------------------------------

constexpr EdsError EDS_ERR_OK = 0x00000000;
constexpr EdsError EDS_ERR_UNIMPLEMENTED = 0x00000001;
constexpr EdsError EDS_ERR_INTERNAL_ERROR = 0x00000002;
constexpr EdsError EDS_ERR_MEM_ALLOC_FAILED = 0x00000003;
constexpr EdsError EDS_ERR_OPERATION_CANCELLED = 0x00000005;
constexpr EdsError EDS_ERR_NOT_SUPPORTED = 0x00000007;
constexpr EdsError EDS_ERR_FILE_IO_ERROR = 0x00000020;
constexpr EdsError EDS_ERR_FILE_NOT_FOUND = 0x00000022;
constexpr EdsError EDS_ERR_FILE_OPEN_ERROR = 0x00000023;
constexpr EdsError EDS_ERR_FILE_WRITE_ERROR = 0x00000028;
constexpr EdsError EDS_ERR_DIR_NOT_FOUND = 0x00000040;
constexpr EdsError EDS_ERR_PROPERTIES_UNAVAILABLE = 0x00000050;
constexpr EdsError EDS_ERR_PROPERTIES_MISMATCH = 0x00000051;
constexpr EdsError EDS_ERR_INVALID_PARAMETER = 0x00000060;
constexpr EdsError EDS_ERR_INVALID_HANDLE = 0x00000061;
constexpr EdsError EDS_ERR_INVALID_POINTER = 0x00000062;
constexpr EdsError EDS_ERR_INVALID_INDEX = 0x00000063;
constexpr EdsError EDS_ERR_INVALID_LENGTH = 0x00000064;
constexpr EdsError EDS_ERR_INVALID_FN_POINTER = 0x00000065;
constexpr EdsError EDS_ERR_DEVICE_NOT_FOUND = 0x00000080;
constexpr EdsError EDS_ERR_DEVICE_BUSY = 0x00000081;
constexpr EdsError EDS_ERR_DEVICE_INVALID = 0x00000082;
constexpr EdsError EDS_ERR_DEVICE_MEMORY_FULL = 0x00000084;
constexpr EdsError EDS_ERR_DEVICE_INTERNAL_ERROR = 0x00000085;
constexpr EdsError EDS_ERR_DEVICE_INVALID_PARAMETER = 0x00000086;
constexpr EdsError EDS_ERR_DEVICE_NO_DISK = 0x00000087;
constexpr EdsError EDS_ERR_DEVICE_NOT_RELEASED = 0x0000008D;
constexpr EdsError EDS_ERR_STREAM_NOT_OPEN = 0x000000A1;
constexpr EdsError EDS_ERR_STREAM_SEEK_ERROR = 0x000000A5;
constexpr EdsError EDS_ERR_STREAM_READ_ERROR = 0x000000A7;
constexpr EdsError EDS_ERR_STREAM_WRITE_ERROR = 0x000000A8;
constexpr EdsError EDS_ERR_STREAM_END_OF_STREAM = 0x000000AC;
constexpr EdsError EDS_ERR_COMM_PORT_IS_IN_USE = 0x000000C0;
constexpr EdsError EDS_ERR_COMM_DISCONNECTED = 0x000000C1;
constexpr EdsError EDS_ERR_INVALID_FUNCTION_CALL = 0x000000F1;
constexpr EdsError EDS_ERR_INVALID_ID = 0x000000F3;
constexpr EdsError EDS_ERR_WAIT_TIMEOUT_ERROR = 0x000000F4;
constexpr EdsError EDS_ERR_SESSION_NOT_OPEN = 0x00002003;
constexpr EdsError EDS_ERR_DEVICEPROP_NOT_SUPPORTED = 0x0000200A;
constexpr EdsError EDS_ERR_DEVICE_BUSY_PTP = 0x00002019;
constexpr EdsError EDS_ERR_INVALID_DEVICEPROP_VALUE = 0x0000201C;
constexpr EdsError EDS_ERR_SESSION_ALREADY_OPEN = 0x0000201E;
constexpr EdsError EDS_ERR_TAKE_PICTURE_AF_NG = 0x00008D01;  // focus failed
constexpr EdsError EDS_ERR_TAKE_PICTURE_CARD_NG = 0x00008D06;
constexpr EdsError EDS_ERR_TAKE_PICTURE_CARD_PROTECT_NG = 0x00008D08;
constexpr EdsError EDS_ERR_LOW_BATTERY = 0x0000A101;
constexpr EdsError EDS_ERR_OBJECT_NOTREADY = 0x0000A102;  // no live-view frame yet

// ---------------------------------------------------------------------------------------
// Property identifiers
// ---------------------------------------------------------------------------------------

constexpr EdsPropertyID kEdsPropID_OwnerName = 0x0004;        // text, up to 256 bytes
constexpr EdsPropertyID kEdsPropID_DateTime = 0x0006;         // EdsTime, data type 23
constexpr EdsPropertyID kEdsPropID_FirmwareVersion = 0x0007;  // text, 32 bytes
constexpr EdsPropertyID kEdsPropID_BatteryLevel = 0x0008;     // 0xFFFFFFFF on mains
constexpr EdsPropertyID kEdsPropID_SaveTo = 0x000B;           // EdsSaveTo
constexpr EdsPropertyID kEdsPropID_BodyIDEx = 0x0015;         // text, up to 2001 bytes

constexpr EdsPropertyID kEdsPropID_ImageQuality = 0x0100;
constexpr EdsPropertyID kEdsPropID_FocusInfo = 0x0104;  // EdsFocusInfo, 4120 bytes
constexpr EdsPropertyID kEdsPropID_WhiteBalance = 0x0106;
constexpr EdsPropertyID kEdsPropID_ColorTemperature = 0x0107;
constexpr EdsPropertyID kEdsPropID_WhiteBalanceShift = 0x0108;  // two signed 32-bit
constexpr EdsPropertyID kEdsPropID_ColorSpace = 0x010D;
constexpr EdsPropertyID kEdsPropID_PhotoEffect = 0x010F;
constexpr EdsPropertyID kEdsPropID_PictureStyle = 0x0114;
constexpr EdsPropertyID kEdsPropID_PictureStyleDesc = 0x0115;  // EdsPictureStyleDesc

constexpr EdsPropertyID kEdsPropID_AEMode = 0x0400;
constexpr EdsPropertyID kEdsPropID_DriveMode = 0x0401;
constexpr EdsPropertyID kEdsPropID_ISOSpeed = 0x0402;
constexpr EdsPropertyID kEdsPropID_MeteringMode = 0x0403;
constexpr EdsPropertyID kEdsPropID_AFMode = 0x0404;
constexpr EdsPropertyID kEdsPropID_Av = 0x0405;
constexpr EdsPropertyID kEdsPropID_Tv = 0x0406;
constexpr EdsPropertyID kEdsPropID_ExposureCompensation = 0x0407;
constexpr EdsPropertyID kEdsPropID_AvailableShots = 0x040A;

constexpr EdsPropertyID kEdsPropID_Evf_OutputDevice = 0x0500;  // kEdsEvfOutputDevice_... bits
constexpr EdsPropertyID kEdsPropID_Evf_Mode = 0x0501;          // 1 on, 0 off
constexpr EdsPropertyID kEdsPropID_Evf_WhiteBalance = 0x0502;
constexpr EdsPropertyID kEdsPropID_Evf_DepthOfFieldPreview = 0x0504;  // 1 on, 0 off
constexpr EdsPropertyID kEdsPropID_Evf_Zoom = 0x0507;                 // kEdsEvfZoom_...
constexpr EdsPropertyID kEdsPropID_Evf_ZoomPosition = 0x0508;         // EdsPoint
constexpr EdsPropertyID kEdsPropID_Evf_ImagePosition = 0x050B;        // EdsPoint
constexpr EdsPropertyID kEdsPropID_Evf_AFMode = 0x050E;               // kEdsEvfAFMode_...
constexpr EdsPropertyID kEdsPropID_Record = 0x0510;                   // kEdsRecord_...
constexpr EdsPropertyID kEdsPropID_Evf_HistogramY = 0x0515;           // 256 x EdsUInt32, luminance
constexpr EdsPropertyID kEdsPropID_Evf_HistogramR = 0x0516;
constexpr EdsPropertyID kEdsPropID_Evf_HistogramG = 0x0517;
constexpr EdsPropertyID kEdsPropID_Evf_HistogramB = 0x0518;
constexpr EdsPropertyID kEdsPropID_Evf_CoordinateSystem = 0x0540;  // EdsSize
constexpr EdsPropertyID kEdsPropID_Evf_ZoomRect = 0x0541;          // EdsRect

constexpr EdsUInt32 kEdsHistogramSize = 256;  // counts per histogram row

// Data types reported by EdsGetPropertySize. Only the time type (23) is relied on; the
// other numbers are this system's own.
constexpr EdsDataType kEdsDataType_Unknown = 0;
constexpr EdsDataType kEdsDataType_String = 2;
constexpr EdsDataType kEdsDataType_Int32 = 3;
constexpr EdsDataType kEdsDataType_UInt32 = 4;
constexpr EdsDataType kEdsDataType_Int32_Array = 5;
constexpr EdsDataType kEdsDataType_UInt32_Array = 6;
constexpr EdsDataType kEdsDataType_ByteBlock = 7;
constexpr EdsDataType kEdsDataType_Point = 8;
constexpr EdsDataType kEdsDataType_Rect = 9;
constexpr EdsDataType kEdsDataType_Time = 23;

// Property values.
constexpr EdsSaveTo kEdsSaveTo_Camera = 1;
constexpr EdsSaveTo kEdsSaveTo_Host = 2;
constexpr EdsSaveTo kEdsSaveTo_Both = 3;

constexpr EdsUInt32 kEdsEvfOutputDevice_TFT = 1;  // the camera's own screen
constexpr EdsUInt32 kEdsEvfOutputDevice_PC = 2;   // the host

constexpr EdsUInt32 kEdsEvfZoom_Fit = 1;
constexpr EdsUInt32 kEdsEvfZoom_x5 = 5;
constexpr EdsUInt32 kEdsEvfZoom_x10 = 10;

constexpr EdsUInt32 kEdsEvfAFMode_Quick = 0;
constexpr EdsUInt32 kEdsEvfAFMode_Live = 1;
constexpr EdsUInt32 kEdsEvfAFMode_LiveFace = 2;
constexpr EdsUInt32 kEdsEvfAFMode_LiveMulti = 3;

constexpr EdsUInt32 kEdsRecord_Begin = 4;
constexpr EdsUInt32 kEdsRecord_End = 0;

constexpr EdsUInt32 kEdsBatteryLevel_AC = 0xFFFFFFFF;

// Marks a half of the white-balance shift, saturation or colour tone as absent.
constexpr EdsInt32 kEdsValue_Absent = 0x7FFFFFFF;
// Marks a filter or toning effect of the picture-style description as absent.
constexpr EdsUInt32 kEdsEffect_Absent = 0xFFFFFFFF;

// ---------------------------------------------------------------------------------------
// Commands (EdsSendCommand) and status commands (EdsSendStatusCommand)
// ---------------------------------------------------------------------------------------

constexpr EdsCameraCommand kEdsCameraCommand_TakePicture = 0x00;
constexpr EdsCameraCommand kEdsCameraCommand_ExtendShutDownTimer = 0x01;
constexpr EdsCameraCommand kEdsCameraCommand_BulbStart = 0x02;
constexpr EdsCameraCommand kEdsCameraCommand_BulbEnd = 0x03;
constexpr EdsCameraCommand kEdsCameraCommand_PressShutterButton = 0x04;
constexpr EdsCameraCommand kEdsCameraCommand_DoEvfAf = 0x0102;       // 1 on, 0 off
constexpr EdsCameraCommand kEdsCameraCommand_DriveLensEvf = 0x0103;  // kEdsEvfDriveLens_...
constexpr EdsCameraCommand kEdsCameraCommand_DoClickWBEvf = 0x0104;  // X << 16 | Y

// Parameters of kEdsCameraCommand_PressShutterButton.
constexpr EdsUInt32 kEdsCameraCommand_ShutterButton_OFF = 0x00000;
constexpr EdsUInt32 kEdsCameraCommand_ShutterButton_Halfway = 0x00001;
constexpr EdsUInt32 kEdsCameraCommand_ShutterButton_Completely = 0x00003;
constexpr EdsUInt32 kEdsCameraCommand_ShutterButton_Halfway_NonAF = 0x10001;
constexpr EdsUInt32 kEdsCameraCommand_ShutterButton_Completely_NonAF = 0x10003;

// Parameters of kEdsCameraCommand_DoEvfAf.
constexpr EdsUInt32 kEdsCameraCommand_EvfAf_OFF = 0;
constexpr EdsUInt32 kEdsCameraCommand_EvfAf_ON = 1;

// Parameters of kEdsCameraCommand_DriveLensEvf: near or far in three step sizes.
constexpr EdsUInt32 kEdsEvfDriveLens_Near1 = 0x0001;
constexpr EdsUInt32 kEdsEvfDriveLens_Near2 = 0x0002;
constexpr EdsUInt32 kEdsEvfDriveLens_Near3 = 0x0003;
constexpr EdsUInt32 kEdsEvfDriveLens_Far1 = 0x8001;
constexpr EdsUInt32 kEdsEvfDriveLens_Far2 = 0x8002;
constexpr EdsUInt32 kEdsEvfDriveLens_Far3 = 0x8003;

constexpr EdsCameraStatusCommand kEdsCameraStatusCommand_UILock = 0;
constexpr EdsCameraStatusCommand kEdsCameraStatusCommand_UIUnLock = 1;

// ---------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------

constexpr EdsPropertyEvent kEdsPropertyEvent_All = 0x0100;
constexpr EdsPropertyEvent kEdsPropertyEvent_PropertyChanged = 0x0101;
constexpr EdsPropertyEvent kEdsPropertyEvent_PropertyDescChanged = 0x0102;

constexpr EdsObjectEvent kEdsObjectEvent_All = 0x0200;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemCreated = 0x0204;          // new file on the card
constexpr EdsObjectEvent kEdsObjectEvent_DirItemRequestTransfer = 0x0208;  // take it over

constexpr EdsStateEvent kEdsStateEvent_All = 0x0300;
constexpr EdsStateEvent kEdsStateEvent_Shutdown = 0x0301;
constexpr EdsStateEvent kEdsStateEvent_WillSoonShutDown = 0x0303;
constexpr EdsStateEvent kEdsStateEvent_CaptureError = 0x0305;
constexpr EdsStateEvent kEdsStateEvent_InternalError = 0x0306;

// ---------------------------------------------------------------------------------------
// Streams, downloads, images
// ---------------------------------------------------------------------------------------

constexpr EdsFileCreateDisposition kEdsFileCreateDisposition_CreateAlways = 1;
constexpr EdsFileCreateDisposition kEdsFileCreateDisposition_OpenExisting = 2;

constexpr EdsAccess kEdsAccess_Read = 0;
constexpr EdsAccess kEdsAccess_Write = 1;
constexpr EdsAccess kEdsAccess_ReadWrite = 2;

constexpr EdsSeekOrigin kEdsSeek_Cur = 0;
constexpr EdsSeekOrigin kEdsSeek_Begin = 1;
constexpr EdsSeekOrigin kEdsSeek_End = 2;

constexpr EdsProgressOption kEdsProgressOption_NoReport = 0;
constexpr EdsProgressOption kEdsProgressOption_Done = 1;
constexpr EdsProgressOption kEdsProgressOption_Periodically = 2;

constexpr EdsTargetImageType kEdsTargetImageType_Jpeg = 1;
constexpr EdsTargetImageType kEdsTargetImageType_TIFF = 7;
constexpr EdsTargetImageType kEdsTargetImageType_TIFF16 = 8;

constexpr EdsImageSource kEdsImageSrc_FullView = 0;
constexpr EdsImageSource kEdsImageSrc_Thumbnail = 1;

// ---------------------------------------------------------------------------------------
// Records. Texts are 8-bit and end at the first zero byte.
// ---------------------------------------------------------------------------------------

constexpr std::size_t kEdsMaxName = 256;

struct EdsPoint {
  EdsInt32 x;
  EdsInt32 y;
};

struct EdsSize {
  EdsInt32 width;
  EdsInt32 height;
};

struct EdsRect {
  EdsPoint point;
  EdsSize size;
};

struct EdsDeviceInfo {
  EdsChar szPortName[kEdsMaxName];
  EdsChar szDeviceDescription[kEdsMaxName];  // the camera's product name
  EdsUInt32 deviceSubType;                   // non-zero: a camera of the newer protocol
  EdsUInt32 reserved;
};

struct EdsDirectoryItemInfo {
  EdsUInt64 size;
  EdsBool isFolder;
  EdsUInt32 groupID;
  EdsUInt32 option;
  EdsChar szFileName[kEdsMaxName];
  EdsUInt32 format;
  EdsUInt32 dateTime;
};

constexpr std::size_t kEdsMaxPropDesc = 128;

struct EdsPropertyDesc {
  EdsInt32 form;
  EdsInt32 access;
  EdsInt32 numElements;  // how many of propDesc are valid
  EdsInt32 propDesc[kEdsMaxPropDesc];
};

struct EdsCapacity {
  EdsInt32 numberOfFreeClusters;
  EdsInt32 bytesPerSector;
  EdsBool reset;
};

struct EdsVolumeInfo {
  EdsUInt32 storageType;
  EdsAccess access;
  EdsUInt64 maxCapacity;
  EdsUInt64 freeSpaceInBytes;
  EdsChar szVolumeLabel[kEdsMaxName];
};

struct EdsTime {  // kEdsPropID_DateTime
  EdsInt32 year;
  EdsInt32 month;
  EdsInt32 day;
  EdsInt32 hour;
  EdsInt32 minute;
  EdsInt32 second;
  EdsInt32 milliseconds;
};

struct EdsPictureStyleDesc {  // kEdsPropID_PictureStyleDesc
  EdsInt32 contrast;
  EdsUInt32 sharpness;
  EdsInt32 saturation;     // kEdsValue_Absent when the style has none
  EdsInt32 colorTone;      // likewise
  EdsUInt32 filterEffect;  // kEdsEffect_Absent when the style has none
  EdsUInt32 toningEffect;  // likewise
  EdsUInt32 reserved1;     // written as 0, never read
  EdsUInt32 reserved2;
};

constexpr std::size_t kEdsMaxFocusPoints = 128;

struct EdsFocusPoint {
  EdsUInt32 valid;
  EdsUInt32 selected;
  EdsUInt32 justFocus;
  EdsRect rect;
  EdsUInt32 reserved;
};

struct EdsFocusInfo {  // kEdsPropID_FocusInfo
  EdsRect imageRect;
  EdsUInt32 pointNumber;
  EdsFocusPoint focusPoint[kEdsMaxFocusPoints];
  EdsUInt32 executeMode;
};

struct EdsImageInfo {
  EdsUInt32 width;
  EdsUInt32 height;
  EdsUInt32 numOfComponents;
  EdsUInt32 componentDepth;
  EdsRect effectiveRect;
};

struct EdsSaveImageSetting {  // EdsSaveImage
  EdsUInt32 JPEGQuality;
  EdsStreamRef iccProfileStream;  // nullptr: no profile
  EdsUInt32 reserved;
};

static_assert(sizeof(EdsPoint) == 8 && sizeof(EdsSize) == 8 && sizeof(EdsRect) == 16);
static_assert(sizeof(EdsCapacity) == 12);
static_assert(sizeof(EdsTime) == 28);
static_assert(sizeof(EdsPictureStyleDesc) == 32);
static_assert(sizeof(EdsFocusPoint) == 32);
static_assert(sizeof(EdsFocusInfo) == 4120);
static_assert(sizeof(EdsPropertyDesc) == 12 + 4 * kEdsMaxPropDesc);
static_assert(offsetof(EdsDeviceInfo, deviceSubType) == 2 * kEdsMaxName);
static_assert(offsetof(EdsDirectoryItemInfo, szFileName) == 20 && sizeof(EdsDirectoryItemInfo) == 288);
static_assert(offsetof(EdsVolumeInfo, szVolumeLabel) == 24 && sizeof(EdsVolumeInfo) == 280);

// ---------------------------------------------------------------------------------------
// Callbacks. Each returns EDS_ERR_OK; the SDK calls them on the thread that opened the
// session, while it dispatches window messages.
// ---------------------------------------------------------------------------------------

using EdsObjectEventHandler = EdsError(EDS_STDCALL*)(EdsObjectEvent inEvent, EdsBaseRef inRef, EdsVoid* inContext);
using EdsPropertyEventHandler = EdsError(EDS_STDCALL*)(EdsPropertyEvent inEvent, EdsPropertyID inPropertyID,
                                                       EdsUInt32 inParam, EdsVoid* inContext);
using EdsStateEventHandler = EdsError(EDS_STDCALL*)(EdsStateEvent inEvent, EdsUInt32 inEventData, EdsVoid* inContext);
// A non-zero *outCancel asks the SDK to cancel the transfer; this system never does.
using EdsProgressCallback = EdsError(EDS_STDCALL*)(EdsUInt32 inPercent, EdsVoid* inContext, EdsBool* outCancel);
using EdsCameraAddedHandler = EdsError(EDS_STDCALL*)(EdsVoid* inContext);

// ---------------------------------------------------------------------------------------
// The 54 entry points, in binding order. Each row:
//   X(name, exported name, return type, (parameters), (argument names))
// The binding declares a pointer per row and looks it up by the exported name; the
// stand-in defines an export per row. Every one returns an EdsError, 0 for success.
// eos_edsdk_def (Sources/CMakeLists.txt) reads the rows as text to write a DLL's .def
// file, so each row starts on a line of its own with "  X(Eds".
// ---------------------------------------------------------------------------------------

#define EDSDK_ENTRY_POINTS(X)                                                                                         \
  X(EdsInitializeSDK, "EdsInitializeSDK", EdsError, (), ())                                                           \
  X(EdsTerminateSDK, "EdsTerminateSDK", EdsError, (), ())                                                             \
  X(EdsRetain, "EdsRetain", EdsError, (EdsBaseRef inRef), (inRef))                                                    \
  X(EdsRelease, "EdsRelease", EdsError, (EdsBaseRef inRef), (inRef))                                                  \
  X(EdsGetChildCount, "EdsGetChildCount", EdsError, (EdsBaseRef inRef, EdsUInt32 * outCount), (inRef, outCount))      \
  X(EdsGetChildAtIndex, "EdsGetChildAtIndex", EdsError, (EdsBaseRef inRef, EdsInt32 inIndex, EdsBaseRef * outRef),    \
    (inRef, inIndex, outRef))                                                                                         \
  X(EdsGetParent, "EdsGetParent", EdsError, (EdsBaseRef inRef, EdsBaseRef * outParentRef), (inRef, outParentRef))     \
  X(EdsGetPropertySize, "EdsGetPropertySize", EdsError,                                                               \
    (EdsBaseRef inRef, EdsPropertyID inPropertyID, EdsInt32 inParam, EdsDataType * outDataType, EdsUInt32 * outSize), \
    (inRef, inPropertyID, inParam, outDataType, outSize))                                                             \
  X(EdsGetPropertyData, "EdsGetPropertyData", EdsError,                                                               \
    (EdsBaseRef inRef, EdsPropertyID inPropertyID, EdsInt32 inParam, EdsUInt32 inPropertySize,                        \
     EdsVoid * outPropertyData),                                                                                      \
    (inRef, inPropertyID, inParam, inPropertySize, outPropertyData))                                                  \
  X(EdsSetPropertyData, "EdsSetPropertyData", EdsError,                                                               \
    (EdsBaseRef inRef, EdsPropertyID inPropertyID, EdsInt32 inParam, EdsUInt32 inPropertySize,                        \
     const EdsVoid* inPropertyData),                                                                                  \
    (inRef, inPropertyID, inParam, inPropertySize, inPropertyData))                                                   \
  X(EdsGetPropertyDesc, "EdsGetPropertyDesc", EdsError,                                                               \
    (EdsBaseRef inRef, EdsPropertyID inPropertyID, EdsPropertyDesc * outPropertyDesc),                                \
    (inRef, inPropertyID, outPropertyDesc))                                                                           \
  X(EdsGetCameraList, "EdsGetCameraList", EdsError, (EdsCameraListRef * outCameraListRef), (outCameraListRef))        \
  X(EdsGetDeviceInfo, "EdsGetDeviceInfo", EdsError, (EdsCameraRef inCameraRef, EdsDeviceInfo * outDeviceInfo),        \
    (inCameraRef, outDeviceInfo))                                                                                     \
  X(EdsOpenSession, "EdsOpenSession", EdsError, (EdsCameraRef inCameraRef), (inCameraRef))                            \
  X(EdsCloseSession, "EdsCloseSession", EdsError, (EdsCameraRef inCameraRef), (inCameraRef))                          \
  X(EdsSendCommand, "EdsSendCommand", EdsError,                                                                       \
    (EdsCameraRef inCameraRef, EdsCameraCommand inCommand, EdsInt32 inParam), (inCameraRef, inCommand, inParam))      \
  X(EdsSendStatusCommand, "EdsSendStatusCommand", EdsError,                                                           \
    (EdsCameraRef inCameraRef, EdsCameraStatusCommand inStatusCommand, EdsInt32 inParam),                             \
    (inCameraRef, inStatusCommand, inParam))                                                                          \
  X(EdsSetCapacity, "EdsSetCapacity", EdsError, (EdsCameraRef inCameraRef, EdsCapacity inCapacity),                   \
    (inCameraRef, inCapacity))                                                                                        \
  X(EdsGetVolumeInfo, "EdsGetVolumeInfo", EdsError, (EdsVolumeRef inVolumeRef, EdsVolumeInfo * outVolumeInfo),        \
    (inVolumeRef, outVolumeInfo))                                                                                     \
  X(EdsFormatVolume, "EdsFormatVolume", EdsError, (EdsVolumeRef inVolumeRef), (inVolumeRef))                          \
  X(EdsGetDirectoryItemInfo, "EdsGetDirectoryItemInfo", EdsError,                                                     \
    (EdsDirectoryItemRef inDirItemRef, EdsDirectoryItemInfo * outDirItemInfo), (inDirItemRef, outDirItemInfo))        \
  X(EdsDeleteDirectoryItem, "EdsDeleteDirectoryItem", EdsError, (EdsDirectoryItemRef inDirItemRef), (inDirItemRef))   \
  X(EdsDownload, "EdsDownload", EdsError,                                                                             \
    (EdsDirectoryItemRef inDirItemRef, EdsUInt64 inReadSize, EdsStreamRef outStream),                                 \
    (inDirItemRef, inReadSize, outStream))                                                                            \
  X(EdsDownloadCancel, "EdsDownloadCancel", EdsError, (EdsDirectoryItemRef inDirItemRef), (inDirItemRef))             \
  X(EdsDownloadComplete, "EdsDownloadComplete", EdsError, (EdsDirectoryItemRef inDirItemRef), (inDirItemRef))         \
  X(EdsDownloadThumbnail, "EdsDownloadThumbnail", EdsError,                                                           \
    (EdsDirectoryItemRef inDirItemRef, EdsStreamRef outStream), (inDirItemRef, outStream))                            \
  X(EdsGetAttribute, "EdsGetAttribute", EdsError,                                                                     \
    (EdsDirectoryItemRef inDirItemRef, EdsFileAttributes * outFileAttribute), (inDirItemRef, outFileAttribute))       \
  X(EdsSetAttribute, "EdsSetAttribute", EdsError,                                                                     \
    (EdsDirectoryItemRef inDirItemRef, EdsFileAttributes inFileAttribute), (inDirItemRef, inFileAttribute))           \
  X(EdsCreateFileStream, "EdsCreateFileStream", EdsError,                                                             \
    (const EdsChar* inFileName, EdsFileCreateDisposition inCreateDisposition, EdsAccess inDesiredAccess,              \
     EdsStreamRef* outStream),                                                                                        \
    (inFileName, inCreateDisposition, inDesiredAccess, outStream))                                                    \
  X(EdsCreateMemoryStream, "EdsCreateMemoryStream", EdsError, (EdsUInt64 inBufferSize, EdsStreamRef * outStream),     \
    (inBufferSize, outStream))                                                                                        \
  X(EdsCreateFileStreamEx, "EdsCreateFileStreamEx", EdsError,                                                         \
    (const EdsWChar* inFileName, EdsFileCreateDisposition inCreateDisposition, EdsAccess inDesiredAccess,             \
     EdsStreamRef* outStream),                                                                                        \
    (inFileName, inCreateDisposition, inDesiredAccess, outStream))                                                    \
  X(EdsCreateMemoryStreamFromPointer, "EdsCreateMemoryStreamFromPointer", EdsError,                                   \
    (EdsVoid * inUserBuffer, EdsUInt64 inBufferSize, EdsStreamRef * outStream),                                       \
    (inUserBuffer, inBufferSize, outStream))                                                                          \
  X(EdsGetPointer, "EdsGetPointer", EdsError, (EdsStreamRef inStream, EdsVoid * *outPointer), (inStream, outPointer)) \
  X(EdsRead, "EdsRead", EdsError,                                                                                     \
    (EdsStreamRef inStreamRef, EdsUInt64 inReadSize, EdsVoid * outBuffer, EdsUInt64 * outReadSize),                   \
    (inStreamRef, inReadSize, outBuffer, outReadSize))                                                                \
  X(EdsWrite, "EdsWrite", EdsError,                                                                                   \
    (EdsStreamRef inStreamRef, EdsUInt64 inWriteSize, const EdsVoid* inBuffer, EdsUInt64* outWrittenSize),            \
    (inStreamRef, inWriteSize, inBuffer, outWrittenSize))                                                             \
  X(EdsSeek, "EdsSeek", EdsError, (EdsStreamRef inStreamRef, EdsInt64 inSeekOffset, EdsSeekOrigin inSeekOrigin),      \
    (inStreamRef, inSeekOffset, inSeekOrigin))                                                                        \
  X(EdsGetPosition, "EdsGetPosition", EdsError, (EdsStreamRef inStreamRef, EdsUInt64 * outPosition),                  \
    (inStreamRef, outPosition))                                                                                       \
  X(EdsGetLength, "EdsGetLength", EdsError, (EdsStreamRef inStreamRef, EdsUInt64 * outLength),                        \
    (inStreamRef, outLength))                                                                                         \
  X(EdsCopyData, "EdsCopyData", EdsError,                                                                             \
    (EdsStreamRef inStreamRef, EdsUInt64 inWriteSize, EdsStreamRef outStreamRef),                                     \
    (inStreamRef, inWriteSize, outStreamRef))                                                                         \
  X(EdsSetProgressCallback, "EdsSetProgressCallback", EdsError,                                                       \
    (EdsBaseRef inRef, EdsProgressCallback inProgressFunc, EdsProgressOption inProgressOption, EdsVoid * inContext),  \
    (inRef, inProgressFunc, inProgressOption, inContext))                                                             \
  X(EdsCreateImageRef, "EdsCreateImageRef", EdsError, (EdsStreamRef inStreamRef, EdsImageRef * outImageRef),          \
    (inStreamRef, outImageRef))                                                                                       \
  X(EdsGetImageInfo, "EdsGetImageInfo", EdsError,                                                                     \
    (EdsImageRef inImageRef, EdsImageSource inImageSource, EdsImageInfo * outImageInfo),                              \
    (inImageRef, inImageSource, outImageInfo))                                                                        \
  X(EdsGetImage, "EdsGetImage", EdsError,                                                                             \
    (EdsImageRef inImageRef, EdsImageSource inImageSource, EdsTargetImageType inImageType, EdsRect inSrcRect,         \
     EdsSize inDstSize, EdsStreamRef outStreamRef),                                                                   \
    (inImageRef, inImageSource, inImageType, inSrcRect, inDstSize, outStreamRef))                                     \
  X(EdsSaveImage, "EdsSaveImage", EdsError,                                                                           \
    (EdsImageRef inImageRef, EdsTargetImageType inImageType, EdsSaveImageSetting inSaveSetting,                       \
     EdsStreamRef outStreamRef),                                                                                      \
    (inImageRef, inImageType, inSaveSetting, outStreamRef))                                                           \
  X(EdsCacheImage, "EdsCacheImage", EdsError, (EdsImageRef inImageRef, EdsBool inUseCache), (inImageRef, inUseCache)) \
  X(EdsReflectImageProperty, "EdsReflectImageProperty", EdsError, (EdsImageRef inImageRef), (inImageRef))             \
  X(EdsCreateEvfImageRef, "EdsCreateEvfImageRef", EdsError,                                                           \
    (EdsStreamRef inStreamRef, EdsEvfImageRef * outEvfImageRef), (inStreamRef, outEvfImageRef))                       \
  X(EdsDownloadEvfImage, "EdsDownloadEvfImage", EdsError, (EdsCameraRef inCameraRef, EdsEvfImageRef inEvfImageRef),   \
    (inCameraRef, inEvfImageRef))                                                                                     \
  X(EdsSetCameraAddedHandler, "EdsSetCameraAddedHandler", EdsError,                                                   \
    (EdsCameraAddedHandler inCameraAddedHandler, EdsVoid * inContext), (inCameraAddedHandler, inContext))             \
  X(EdsSetPropertyEventHandler, "EdsSetPropertyEventHandler", EdsError,                                               \
    (EdsCameraRef inCameraRef, EdsPropertyEvent inEvent, EdsPropertyEventHandler inPropertyEventHandler,              \
     EdsVoid * inContext),                                                                                            \
    (inCameraRef, inEvent, inPropertyEventHandler, inContext))                                                        \
  X(EdsSetObjectEventHandler, "EdsSetObjectEventHandler", EdsError,                                                   \
    (EdsCameraRef inCameraRef, EdsObjectEvent inEvent, EdsObjectEventHandler inObjectEventHandler,                    \
     EdsVoid * inContext),                                                                                            \
    (inCameraRef, inEvent, inObjectEventHandler, inContext))                                                          \
  X(EdsSetCameraStateEventHandler, "EdsSetCameraStateEventHandler", EdsError,                                         \
    (EdsCameraRef inCameraRef, EdsStateEvent inEvent, EdsStateEventHandler inStateEventHandler, EdsVoid * inContext), \
    (inCameraRef, inEvent, inStateEventHandler, inContext))                                                           \
  X(EdsCreateStream, "_EdsCreateStream@8", EdsError, (EdsVoid * inStream, EdsStreamRef * outStreamRef),               \
    (inStream, outStreamRef))                                                                                         \
  X(EdsGetEvent, "EdsGetEvent", EdsError, (), ())

// How many entry points the list holds (54).
#define EDSDK_COUNT_ONE(name, exported, ret, params, args) +1
constexpr int kEdsEntryPointCount = 0 EDSDK_ENTRY_POINTS(EDSDK_COUNT_ONE);
#undef EDSDK_COUNT_ONE
static_assert(kEdsEntryPointCount == 54);

// One function-pointer type per entry point: EdsInitializeSDKProc, EdsReleaseProc, ...
#define EDSDK_PROC_TYPE(name, exported, ret, params, args) using name##Proc = ret(EDS_STDCALL*) params;
EDSDK_ENTRY_POINTS(EDSDK_PROC_TYPE)
#undef EDSDK_PROC_TYPE
