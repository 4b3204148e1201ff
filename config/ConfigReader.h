#pragma once

#include "attrib/AttributeFile.h"
#include "config/ServerConfig.h"

namespace vex {

// Fills the record from a parsed file, key by key in a fixed order. Every lookup passes the
// field's current value as its default, so whatever is missing or mistyped keeps it; the only
// reports are the file's own type mismatches.
void ReadServerConfig(CServerConfig& config, CAttributeFile& file);

}  // namespace vex
