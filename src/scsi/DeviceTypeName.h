#pragma once
// Names of the SCSI peripheral device types as the device list shows them.

#include <string>

// Types 0 to 31; 10 to 30 have an empty name. Anything else (a device whose
// type could not be read) is "unknown", like type 31.
const std::string& DeviceTypeName(int type);
