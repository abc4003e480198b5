// The one list of every camera enumeration. Each list drives the enumeration's values
// (in order, from 0), its count, its English value names and its SDK codes, so adding or
// fixing a value is a one-line change here and nowhere else.
//
// Columns, by list shape:
//   X(Enumerator)                         plain enumerations
//   X(Enumerator, "Name", SdkCode)        shooting values with names and a code table
//   X(Enumerator, "Name")                 shooting values whose code follows a formula
//   X(Enumerator, SdkCode)                coded values the dialog never names
// The names are written into the stored settings text, so they are kept character for
// character, misspellings included. kNoSdkCode marks a value the SDK has no code for.
// For quality and size the code is the nibble the image-quality property packs them in.
#pragma once

// clang-format off

#define EOS_VALUES_CamModType(X) \
  X(CamModNone) X(CamModPowerShot) X(CamModEOS) X(CamModPowerShotGen2)

#define EOS_VALUES_BatterySourceType(X) \
  X(BatterySourceUnknown) X(BatterySourceAC) X(BatterySourceLitium) X(BatterySourceNiMH) \
  X(BatterySourceNiCD) X(BatterySourceAlMN)

#define EOS_VALUES_BatteryStatusType(X) \
  X(BatteryStatusUnknown) X(BatteryStatusNormal) X(BatteryStatusWeak) X(BatteryStatusSafetyLow)

#define EOS_VALUES_PictureTypeType(X) X(PictureTypeThumbnail) X(PictureTypeFull)

#define EOS_VALUES_ReleaseModeType(X) \
  X(ReleaseModeOnlyToPC) X(ReleaseModeBothPCAndCamera) X(ReleaseModeOnlyToCamera)

#define EOS_VALUES_ReleaseDataKindType(X) \
  X(ReleaseDataKindTakeOnlyThumbnail) X(ReleaseDataKindTakeOnlyPicture) X(ReleaseDataKingTakeBothThumbAndPic)

#define EOS_VALUES_RemoteViewFinderOutputType(X) \
  X(RemoteViewFinderOutputLCD) X(RemoteViewFinderOutputVideo) X(RemoteViewFinderOutputOff)

#define EOS_VALUES_RemoteViewFinderDriveLensType(X) \
  X(RemoteViewFinderDriveLensNotUsed, 0x0001) \
  X(RemoteViewFinderDriveLensNear1, 0x0001) X(RemoteViewFinderDriveLensNear2, 0x0002) \
  X(RemoteViewFinderDriveLensNear3, 0x0003) \
  X(RemoteViewFinderDriveLensFar1, 0x8001) X(RemoteViewFinderDriveLensFar2, 0x8002) \
  X(RemoteViewFinderDriveLensFar3, 0x8003)

#define EOS_VALUES_RemoteViewFinderAFModeType(X) \
  X(RemoteViewFinderAFModeNotUsed, 0) X(RemoteViewFinderAFModeQuick, 0) X(RemoteViewFinderAFModeLive, 1) \
  X(RemoteViewFinderAFModeLiveFace, 2) X(RemoteViewFinderAFModeLiveMulti, 3)

#define EOS_VALUES_RemoteViewFinderZoomType(X) \
  X(RemoteViewFinderZoomFit, 1) X(RemoteViewFinderZoomx5, 5) X(RemoteViewFinderZoomx10, 10)

#define EOS_VALUES_RemoteShutterButtonType(X) \
  X(RemoteShutterButtonOff) X(RemoteShutterButtonHalfPressed) X(RemoteShutterButtonCompletelyPressed) \
  X(RemoteShutterButtonHalfPressedNonAF) X(RemoteShutterButtonCompletelyPressedNonAF)

#define EOS_VALUES_RemoteFormatQualityType(X) \
  X(RemoteFormatQualityNotUsed,   "-",          kNoSdkCode) \
  X(RemoteFormatQualityEconomy,   "Economy",    kNoSdkCode) \
  X(RemoteFormatQualityNormal,    "Normal",     2) \
  X(RemoteFormatQualityFine,      "Fine",       3) \
  X(RemoteFormatQualitySuperfine, "Super Fine", 5) \
  X(RemoteFormatQualityRAW,       "RAW",        4)

#define EOS_VALUES_RemoteFormatSizeType(X) \
  X(RemoteFormatSizeNotUsed, "-",       kNoSdkCode) \
  X(RemoteFormatSizeLarge,   "Large",   0) \
  X(RemoteFormatSizeMedium,  "Medium",  1) \
  X(RemoteFormatSizeSmall,   "Small",   2) \
  X(RemoteFormatSizeMedium1, "Medium1", 5) \
  X(RemoteFormatSizeMedium2, "Medium2", 6) \
  X(RemoteFormatSizeMedium3, "Medium3", kNoSdkCode)

#define EOS_VALUES_RemoteFormatDriveModeType(X) \
  X(RemoteFormatDriveModeNotUsed,             "-",                    kNoSdkCode) \
  X(RemoteFormatDriveModeSingleFrame,         "Single frame",         0x00) \
  X(RemoteFormatDriveModeContinous,           "Continous",            0x01) \
  X(RemoteFormatDriveModeVideo,               "Video",                0x02) \
  X(RemoteFormatDriveModeHighSpeedContinous,  "High speed continous", 0x04) \
  X(RemoteFormatDriveModeLowSpeedContinous,   "Low speed continous",  0x05) \
  X(RemoteFormatDriveMode10SecSelfTimer,      "10 sec self timer",    0x10) \
  X(RemoteFormatDriveMode2SecSelfTimer,       "2 sec self timer",     0x11)

#define EOS_VALUES_RemoteFormatWBType(X) \
  X(RemoteFormatWBNotUsed,          "-",                 kNoSdkCode) \
  X(RemoteFormatWBAuto,             "Auto",              0) \
  X(RemoteFormatWBDaylight,         "Daylight",          1) \
  X(RemoteFormatWBCloudy,           "Cloudy",            2) \
  X(RemoteFormatWBTungsten,         "Tungsten",          3) \
  X(RemoteFormatWBFluorscent,       "Fluorscent",        4) \
  X(RemoteFormatWBFlash,            "Flash",             5) \
  X(RemoteFormatWBFluorescentLight, "Fluorescent light", 6) \
  X(RemoteFormatWBCustom,           "Custom",            kNoSdkCode) \
  X(RemoteFormatWBCustom1,          "Custom1",           kNoSdkCode) \
  X(RemoteFormatWBCustom2,          "Custom2",           kNoSdkCode) \
  X(RemoteFormatWBBW,               "BW",                kNoSdkCode) \
  X(RemoteFormatWBShade,            "Shade",             8) \
  X(RemoteFormatWBKelvin,           "Kelvin",            9) \
  X(RemoteFormatWBPCSet1,           "PCSet1",            10) \
  X(RemoteFormatWBPCSet2,           "PCSet2",            11) \
  X(RemoteFormatWBPCSet3,           "PCSet3",            12)

#define EOS_VALUES_RemoteFormatAFModeType(X) \
  X(RemoteFormatAFModeNotUsed, "-",            kNoSdkCode) \
  X(RemoteFormatAFModeOneShot, "One-shot AF",  0) \
  X(RemoteFormatAFModeAIServo, "AI Servo AF",  1) \
  X(RemoteFormatAFModeAIFocus, "AI Focus AF",  2) \
  X(RemoteFormatAFModeManual,  "Manual focus", 3)

#define EOS_VALUES_RemoteFormatAFDistType(X) \
  X(RemoteFormatAFDistNotUsed) X(RemoteFormatAFDistManual) X(RemoteFormatAFDistAuto) X(RemoteFormatAFDistUnknown) \
  X(RemoteFormatAFDistZFCloseUp) X(RemoteFormatAFDistZFShortestDistance) X(RemoteFormatAFDistZFShortDistance) \
  X(RemoteFormatAFDistZFMediumDistance) X(RemoteFormatAFDistZFFarDistance) X(RemoteFormatAFDistPanFocus) \
  X(RemoteFormatAFDistSuperMacro) X(RemoteFormatAFDistInfinity) X(RemoteFormatAFDistSuperMacroOCM)

#define EOS_VALUES_RemoteFormatAFFocusingPointType(X) \
  X(RemoteFormatAFFocusingPointNotUsed) \
  X(RemoteFormatAFFocusingPointOnCenterOnlyManual) X(RemoteFormatAFFocusingPointOnCenterOnlyAuto) \
  X(RemoteFormatAFFocusingPointMultipleManual) X(RemoteFormatAFFocusingPointMultipleAuto) \
  X(RemoteFormatAFFocusingPointMultipleRight) X(RemoteFormatAFFocusingPointMultipleCenter) \
  X(RemoteFormatAFFocusingPointMultipleLeft)

#define EOS_VALUES_RemoteFormatAFLightType(X) \
  X(RemoteFormatAFLightNotUsed) X(RemoteFormatAFLightOn) X(RemoteFormatAFLightOff)

#define EOS_VALUES_RemoteFormatFlashType(X) \
  X(RemoteFormatFlashNotUsed) X(RemoteFormatFlashOff) X(RemoteFormatFlashAuto) X(RemoteFormatFlashOn) \
  X(RemoteFormatFlashRedEye) X(RemoteFormatFlashSlowSync) X(RemoteFormatFlashAutoRedEye) X(RemoteFormatFlashOnRedEye)

#define EOS_VALUES_RemoteFormatFlashCompType(X) \
  X(RemoteFormatFlashCompNotUsed) \
  X(RemoteFormatFlashComp200Plus) X(RemoteFormatFlashComp166Plus) X(RemoteFormatFlashComp133Plus) \
  X(RemoteFormatFlashComp100Plus) X(RemoteFormatFlashComp066Plus) X(RemoteFormatFlashComp033Plus) \
  X(RemoteFormatFlashComp0) \
  X(RemoteFormatFlashComp033Minus) X(RemoteFormatFlashComp066Minus) X(RemoteFormatFlashComp100Minus) \
  X(RemoteFormatFlashComp133Minus) X(RemoteFormatFlashComp166Minus) X(RemoteFormatFlashComp200Minus)

#define EOS_VALUES_RemoteFormatMLWeiType(X) \
  X(RemoteFormatMLWeiNotUsed,                  "-",                         kNoSdkCode) \
  X(RemoteFormatMLWeiCenterWeighted,           "Center-weighted",           kNoSdkCode) \
  X(RemoteFormatMLWeiSpot,                     "Spot",                      1) \
  X(RemoteFormatMLWeiAveraging,                "Averaging",                 kNoSdkCode) \
  X(RemoteFormatMLWeiEvaluative,               "Evaluative",                3) \
  X(RemoteFormatMLWeiPartial,                  "Partial",                   4) \
  X(RemoteFormatMLWeiCenterwWeightedAveraging, "Center-weighted averaging", 5)

#define EOS_VALUES_RemoteFormatLevelType(X) \
  X(RemoteFormatLevelNotUsed) X(RemoteFormatLevelLow) X(RemoteFormatLevelDefault) X(RemoteFormatLevelHigh)

#define EOS_VALUES_RemoteFormatColorSpaceType(X) \
  X(RemoteFormatColorSpaceNotUsed,  "-",        kNoSdkCode) \
  X(RemoteFormatColorSpaceSRGB,     "sRGB",     1) \
  X(RemoteFormatColorSpaceAdobeRGB, "AdobeRGB", 2)

#define EOS_VALUES_RemoteFormatPhotoEffectType(X) \
  X(RemoteFormatPhotoEffectNotUsed,       kNoSdkCode) \
  X(RemoteFormatPhotoEffectOff,           0) \
  X(RemoteFormatPhotoEffectVivid,         kNoSdkCode) \
  X(RemoteFormatPhotoEffectNeutral,       kNoSdkCode) \
  X(RemoteFormatPhotoEffectLowSharpening, kNoSdkCode) \
  X(RemoteFormatPhotoEffectSepia,         kNoSdkCode) \
  X(RemoteFormatPhotoEffectBW,            5)

#define EOS_VALUES_RemoteFormatBeepType(X) \
  X(RemoteFormatBeepNotUsed) X(RemoteFormatBeepOn) X(RemoteFormatBeepOff)

#define EOS_VALUES_MonochromeFilterType(X) \
  X(MonochromeFilterNone) X(MonochromeFilterYellow) X(MonochromeFilterOrange) X(MonochromeFilterRed) \
  X(MonochromeFilterGreen)

#define EOS_VALUES_MonochromeToneType(X) \
  X(MonochromeToneNone) X(MonochromeToneSepia) X(MonochromeToneBlue) X(MonochromeToneViolet) X(MonochromeToneGreen)

#define EOS_VALUES_PictureStyleNumberType(X) \
  X(PictureStyleStandard,   0x81) \
  X(PictureStylePortrait,   0x82) \
  X(PictureStyleLandscape,  0x83) \
  X(PictureStyleNeutral,    0x84) \
  X(PictureStyleFaithful,   0x85) \
  X(PictureStyleMonochrome, 0x86) \
  X(PictureStyleUser1,      0x21) \
  X(PictureStyleUser2,      0x22) \
  X(PictureStyleUser3,      0x23) \
  X(PictureStylePC1,        0x41) \
  X(PictureStylePC2,        0x42) \
  X(PictureStylePC3,        0x43) \
  X(PictureStyleAuto,       0x87) \
  X(PictureStyleFineDetail, 0x88)

#define EOS_VALUES_EventSeverityType(X) \
  X(EventSeverityNotUsed) X(EventSeverityInfo) X(EventSeverityWarning) X(EventSeverityClosing)

#define EOS_VALUES_EventEnumType(X) \
  X(EventNotUsed) X(EventBatteryLevelNormal) X(EventBatteryLevelWeak) X(EventBatteryLevelSafetyLow) \
  X(EventBatteryLevelLB) X(EventDialChanged) X(EventCFGateOpened) X(EventBatteryCoverOpened) \
  X(EventConnectionDisappeared) X(EventUnrecoverableError) X(EventUnkonwnCommandReceived) \
  X(EventRemoteParameterChanged) X(EventRemoteCaptureError) X(EventRemoteShutdownReasonNotKnown) \
  X(EventRemoteNewSupportedParameters)

#define EOS_VALUES_RemoteEventCallbackType(X) \
  X(RemoteEventCallbackNotUsed) X(RemoteEventCallbackReleaseStart) X(RemoteEventCallbackReleaseComplete) \
  X(RemoteEventCallbackResetHWError) X(RemoteEventCallbackChangedByUI) X(RemoteEventCallbackCamReleaseOn) \
  X(RemoteEventCallbackViewfinderOn) X(RemoteEventCallbackViewfinderOff) X(RemoteEventCallbackReleaseImageReady) \
  X(RemoteEventCallbackReleaseMovieReady) X(RemoteEventCallbackReleaseImageFromCFCardReady)

#define EOS_VALUES_NotifyRemoteEventValidType(X) \
  X(NoNotifyRemoteEventValid) X(NotifyRemoteEventValid1) X(NotifyRemoteEventValid2)

#define EOS_VALUES_TypeOfPictureType(X) X(TypeOfPictureNo) X(TypeOfPictureThumbnail) X(TypeOfPicturePicture)

#define EOS_VALUES_BitsPerPixelType(X) X(BitsPerPixel24Bits) X(BitsPerPixel48Bits)

#define EOS_VALUES_FileFormatType(X) \
  X(FileFormatTIFF) X(FileFormatThumbnail) X(FileFormatJPEGInRaw) X(FileFormatJPEG)

#define EOS_VALUES_RemoteFormatShootingModeType(X) \
  X(RemoteFormatShootingModeNotUsed,              "-",                      kNoSdkCode) \
  X(RemoteFormatShootingModeAuto,                 "Auto",                   0x09) \
  X(RemoteFormatShootingModeManual,               "Manual mode",            0x03) \
  X(RemoteFormatShootingModeFarScene,             "Far Scene",              0x0D) \
  X(RemoteFormatShootingModeFastShutter,          "Fast Shutter",           0x0B) \
  X(RemoteFormatShootingModeSlowShutter,          "Slow Shutter",           kNoSdkCode) \
  X(RemoteFormatShootingModeNightScene,           "Night Scene",            0x17) \
  X(RemoteFormatShootingModeGrayScene,            "Gray Scene",             kNoSdkCode) \
  X(RemoteFormatShootingModeSepia,                "Sepia",                  kNoSdkCode) \
  X(RemoteFormatShootingModePortrait,             "Portrait",               0x0C) \
  X(RemoteFormatShootingModeSport,                "Sport",                  kNoSdkCode) \
  X(RemoteFormatShootingModeMacro,                "Macro",                  0x0E) \
  X(RemoteFormatShootingModeBW,                   "Black and White",        kNoSdkCode) \
  X(RemoteFormatShootingModePanFocus,             "Pan Focus",              kNoSdkCode) \
  X(RemoteFormatShootingModeVivid,                "Vivid",                  kNoSdkCode) \
  X(RemoteFormatShootingModeNeutral,              "Neutral",                kNoSdkCode) \
  X(RemoteFormatShootingModeProgram,              "Program",                0x00) \
  X(RemoteFormatShootingModeTV,                   "TV",                     0x01) \
  X(RemoteFormatShootingModeAV,                   "AV",                     0x02) \
  X(RemoteFormatShootingModeADep,                 "ADep",                   0x05) \
  X(RemoteFormatShootingModeMDep,                 "MDep",                   0x06) \
  X(RemoteFormatShootingModeBulb,                 "Bulb",                   0x04) \
  X(RemoteFormatShootingModeManual2,              "Manual2",                kNoSdkCode) \
  X(RemoteFormatShootingModeFlashOff,             "Flash Off",              0x0F) \
  X(RemoteFormatShootingModeLongShutter,          "Long Shutter",           kNoSdkCode) \
  X(RemoteFormatShootingModeSuperMacro,           "Super Macro",            kNoSdkCode) \
  X(RemoteFormatShootingModeFoliage,              "Foliage",                kNoSdkCode) \
  X(RemoteFormatShootingModeIndoor,               "Indoor",                 kNoSdkCode) \
  X(RemoteFormatShootingModeFireworks,            "Fireworks",              kNoSdkCode) \
  X(RemoteFormatShootingModeBeach,                "Beach",                  kNoSdkCode) \
  X(RemoteFormatShootingModeUnderwater,           "Underwater",             kNoSdkCode) \
  X(RemoteFormatShootingModeSnow,                 "Snow",                   kNoSdkCode) \
  X(RemoteFormatShootingModeKidsAndPets,          "Kids and pets",          kNoSdkCode) \
  X(RemoteFormatShootingModeNightSnapshot,        "Night snapshot",         kNoSdkCode) \
  X(RemoteFormatShootingModeDigitalMacro,         "Ditigal macro",          kNoSdkCode) \
  X(RemoteFormatShootingModeMyColors,             "My colors",              kNoSdkCode) \
  X(RemoteFormatShootingModePhotoInMovie,         "Photo in movie",         0x15) \
  X(RemoteFormatShootingModeCreativeAuto,         "Creative Auto",          0x13) \
  X(RemoteFormatShootingModeSceneIntelligentAuto, "Scene Intelligent Auto", 0x16) \
  X(RemoteFormatShootingModeNightPortrait,        "Night Portrait",         0x0A) \
  X(RemoteFormatShootingModeBacklitScenes,        "Backlit Scenes",         0x18) \
  X(RemoteFormatShootingModeSCN,                  "SCN",                    0x19) \
  X(RemoteFormatShootingModeChildren,             "Children",               0x1A) \
  X(RemoteFormatShootingModeFood,                 "Food",                   0x1B) \
  X(RemoteFormatShootingModeCandlelightPortraits, "Candlelight Portraits",  0x1C)

#define EOS_VALUES_RemoteFormatISOType(X) \
  X(RemoteFormatISONotUsed, "-",      kNoSdkCode) \
  X(RemoteFormatISOAuto,    "Auto",   0x00) \
  X(RemoteFormatISO50,      "50",     0x40) \
  X(RemoteFormatISO64,      "64",     0x43) \
  X(RemoteFormatISO80,      "80",     0x45) \
  X(RemoteFormatISO100,     "100",    0x48) \
  X(RemoteFormatISO125,     "125",    0x4B) \
  X(RemoteFormatISO160,     "160",    0x4D) \
  X(RemoteFormatISO200,     "200",    0x50) \
  X(RemoteFormatISO250,     "250",    0x53) \
  X(RemoteFormatISO320,     "320",    0x55) \
  X(RemoteFormatISO400,     "400",    0x58) \
  X(RemoteFormatISO500,     "500",    0x5B) \
  X(RemoteFormatISO640,     "640",    0x5D) \
  X(RemoteFormatISO800,     "800",    0x60) \
  X(RemoteFormatISO1000,    "1000",   0x63) \
  X(RemoteFormatISO1250,    "1250",   0x65) \
  X(RemoteFormatISO1600,    "1600",   0x68) \
  X(RemoteFormatISO2000,    "2000",   0x6B) \
  X(RemoteFormatISO2500,    "2500",   0x6D) \
  X(RemoteFormatISO3200,    "3200",   0x70) \
  X(RemoteFormatISO6400,    "6400",   0x78) \
  X(RemoteFormatISO12800,   "12800",  0x80) \
  X(RemoteFormatISO25600,   "25600",  0x88) \
  X(RemoteFormatISO51200,   "51200",  0x90) \
  X(RemoteFormatISO102400,  "102400", 0x98)

// Shutter times: the SDK code follows from the position (EdsValueCodes).
#define EOS_VALUES_RemoteFormatTVType(X) \
  X(RemoteFormatTVNotUsed, "-") \
  X(RemoteFormatTVBulb,    "Bulb") \
  X(RemoteFormatTV30sec,   "30\"") \
  X(RemoteFormatTV25sec,   "25\"") \
  X(RemoteFormatTV20sec,   "20\"") \
  X(RemoteFormatTV15sec,   "15\"") \
  X(RemoteFormatTV13sec,   "13\"") \
  X(RemoteFormatTV10sec,   "10\"") \
  X(RemoteFormatTV8sec,    "8\"") \
  X(RemoteFormatTV6sec,    "6\"") \
  X(RemoteFormatTV5sec,    "5\"") \
  X(RemoteFormatTV4sec,    "4\"") \
  X(RemoteFormatTV3sec2,   "3\"2") \
  X(RemoteFormatTV2sec5,   "2\"5") \
  X(RemoteFormatTV2sec,    "2\"") \
  X(RemoteFormatTV1sec6,   "1\"6") \
  X(RemoteFormatTV1sec3,   "1\"3") \
  X(RemoteFormatTV1sec,    "1\"") \
  X(RemoteFormatTV0sec8,   "0\"8") \
  X(RemoteFormatTV0sec6,   "0\"6") \
  X(RemoteFormatTV0sec5,   "0\"5") \
  X(RemoteFormatTV0sec4,   "0\"4") \
  X(RemoteFormatTV0sec3,   "0\"3") \
  X(RemoteFormatTV1_4,     "1/4") \
  X(RemoteFormatTV1_5,     "1/5") \
  X(RemoteFormatTV1_6,     "1/6") \
  X(RemoteFormatTV1_8,     "1/8") \
  X(RemoteFormatTV1_10,    "1/10") \
  X(RemoteFormatTV1_13,    "1/13") \
  X(RemoteFormatTV1_15,    "1/15") \
  X(RemoteFormatTV1_20,    "1/20") \
  X(RemoteFormatTV1_25,    "1/25") \
  X(RemoteFormatTV1_30,    "1/30") \
  X(RemoteFormatTV1_40,    "1/40") \
  X(RemoteFormatTV1_50,    "1/50") \
  X(RemoteFormatTV1_60,    "1/60") \
  X(RemoteFormatTV1_80,    "1/80") \
  X(RemoteFormatTV1_100,   "1/100") \
  X(RemoteFormatTV1_125,   "1/125") \
  X(RemoteFormatTV1_160,   "1/160") \
  X(RemoteFormatTV1_200,   "1/200") \
  X(RemoteFormatTV1_250,   "1/250") \
  X(RemoteFormatTV1_320,   "1/320") \
  X(RemoteFormatTV1_400,   "1/400") \
  X(RemoteFormatTV1_500,   "1/500") \
  X(RemoteFormatTV1_640,   "1/640") \
  X(RemoteFormatTV1_800,   "1/800") \
  X(RemoteFormatTV1_1000,  "1/1000") \
  X(RemoteFormatTV1_1250,  "1/1250") \
  X(RemoteFormatTV1_1600,  "1/1600") \
  X(RemoteFormatTV1_2000,  "1/2000") \
  X(RemoteFormatTV1_2500,  "1/2500") \
  X(RemoteFormatTV1_3200,  "1/3200") \
  X(RemoteFormatTV1_4000,  "1/4000") \
  X(RemoteFormatTV1_5000,  "1/5000") \
  X(RemoteFormatTV1_6400,  "1/6400") \
  X(RemoteFormatTV1_8000,  "1/8000") \
  X(RemoteFormatTV1_10000, "1/10000") \
  X(RemoteFormatTV1_12800, "1/12800") \
  X(RemoteFormatTV1_16000, "1/16000")

// Apertures: the SDK code follows from the position (EdsValueCodes). AV6_3 is shown as
// "6.4", and stored settings hold that text.
#define EOS_VALUES_RemoteFormatAVType(X) \
  X(RemoteFormatAVNotUsed, "-") \
  X(RemoteFormatAV1_0,  "1.0") \
  X(RemoteFormatAV1_1,  "1.1") \
  X(RemoteFormatAV1_2,  "1.2") \
  X(RemoteFormatAV1_4,  "1.4") \
  X(RemoteFormatAV1_6,  "1.6") \
  X(RemoteFormatAV1_8,  "1.8") \
  X(RemoteFormatAV2_0,  "2.0") \
  X(RemoteFormatAV2_2,  "2.2") \
  X(RemoteFormatAV2_5,  "2.5") \
  X(RemoteFormatAV2_8,  "2.8") \
  X(RemoteFormatAV3_2,  "3.2") \
  X(RemoteFormatAV3_5,  "3.5") \
  X(RemoteFormatAV4_0,  "4.0") \
  X(RemoteFormatAV4_5,  "4.5") \
  X(RemoteFormatAV5_0,  "5.0") \
  X(RemoteFormatAV5_6,  "5.6") \
  X(RemoteFormatAV6_3,  "6.4") \
  X(RemoteFormatAV7_1,  "7.1") \
  X(RemoteFormatAV8_0,  "8.0") \
  X(RemoteFormatAV9_0,  "9.0") \
  X(RemoteFormatAV10_0, "10") \
  X(RemoteFormatAV11_0, "11") \
  X(RemoteFormatAV13_0, "13") \
  X(RemoteFormatAV14_0, "14") \
  X(RemoteFormatAV16_0, "16") \
  X(RemoteFormatAV18_0, "18") \
  X(RemoteFormatAV20_0, "20") \
  X(RemoteFormatAV22_0, "22") \
  X(RemoteFormatAV25_0, "25") \
  X(RemoteFormatAV29_0, "29") \
  X(RemoteFormatAV32_0, "32") \
  X(RemoteFormatAV36_0, "36") \
  X(RemoteFormatAV40_0, "40") \
  X(RemoteFormatAV45_0, "45") \
  X(RemoteFormatAV51_0, "51") \
  X(RemoteFormatAV57_0, "57") \
  X(RemoteFormatAV64_0, "64") \
  X(RemoteFormatAV72_0, "72") \
  X(RemoteFormatAV81_0, "81") \
  X(RemoteFormatAV91_0, "91")

// Exposure compensation in thirds of a stop, +5 down to -5: the SDK code follows from the
// position (EdsValueCodes).
#define EOS_VALUES_RemoteFormatExposureCompType(X) \
  X(RemoteFormatExposureCompNotUsed,  "-") \
  X(RemoteFormatExposureComp500Plus,  "+5.00") \
  X(RemoteFormatExposureComp466Plus,  "+4.66") \
  X(RemoteFormatExposureComp433Plus,  "+4.33") \
  X(RemoteFormatExposureComp400Plus,  "+4.00") \
  X(RemoteFormatExposureComp366Plus,  "+3.66") \
  X(RemoteFormatExposureComp333Plus,  "+3.33") \
  X(RemoteFormatExposureComp300Plus,  "+3.00") \
  X(RemoteFormatExposureComp266Plus,  "+2.66") \
  X(RemoteFormatExposureComp233Plus,  "+2.33") \
  X(RemoteFormatExposureComp200Plus,  "+2.00") \
  X(RemoteFormatExposureComp166Plus,  "+1.66") \
  X(RemoteFormatExposureComp133Plus,  "+1.33") \
  X(RemoteFormatExposureComp100Plus,  "+1.00") \
  X(RemoteFormatExposureComp066Plus,  "+0.66") \
  X(RemoteFormatExposureComp033Plus,  "+0.33") \
  X(RemoteFormatExposureComp0,        "0") \
  X(RemoteFormatExposureComp033Minus, "-0.33") \
  X(RemoteFormatExposureComp066Minus, "-0.66") \
  X(RemoteFormatExposureComp100Minus, "-1.00") \
  X(RemoteFormatExposureComp133Minus, "-1.33") \
  X(RemoteFormatExposureComp166Minus, "-1.66") \
  X(RemoteFormatExposureComp200Minus, "-2.00") \
  X(RemoteFormatExposureComp233Minus, "-2.33") \
  X(RemoteFormatExposureComp266Minus, "-2.66") \
  X(RemoteFormatExposureComp300Minus, "-3.00") \
  X(RemoteFormatExposureComp333Minus, "-3.33") \
  X(RemoteFormatExposureComp366Minus, "-3.66") \
  X(RemoteFormatExposureComp400Minus, "-4.00") \
  X(RemoteFormatExposureComp433Minus, "-4.33") \
  X(RemoteFormatExposureComp466Minus, "-4.66") \
  X(RemoteFormatExposureComp500Minus, "-5.00")

// clang-format on
