#include "camremote/core/CamValues.h"

namespace eos {

RemoteFormatQualityType QualityFromName(TextView name) { return ValueFromName<RemoteFormatQualityType>(name); }
RemoteFormatSizeType SizeFromName(TextView name) { return ValueFromName<RemoteFormatSizeType>(name); }
RemoteFormatMLWeiType MLWeiFromName(TextView name) { return ValueFromName<RemoteFormatMLWeiType>(name); }
RemoteFormatAFModeType AFModeFromName(TextView name) { return ValueFromName<RemoteFormatAFModeType>(name); }
RemoteFormatWBType WBFromName(TextView name) { return ValueFromName<RemoteFormatWBType>(name); }
RemoteFormatColorSpaceType ColorSpaceFromName(TextView name) { return ValueFromName<RemoteFormatColorSpaceType>(name); }
RemoteFormatISOType ISOFromName(TextView name) { return ValueFromName<RemoteFormatISOType>(name); }
RemoteFormatExposureCompType ExposureCompFromName(TextView name) {
  return ValueFromName<RemoteFormatExposureCompType>(name);
}
RemoteFormatAVType AVFromName(TextView name) { return ValueFromName<RemoteFormatAVType>(name); }
RemoteFormatTVType TVFromName(TextView name) { return ValueFromName<RemoteFormatTVType>(name); }

}  // namespace eos
