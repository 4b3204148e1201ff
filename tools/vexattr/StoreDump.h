#pragma once

#include <cstdio>

#include "attrib/AttributeFile.h"

namespace vex::tools {

// Every tag sorted by name byte by byte, "[Name]" or "[Name] expansion", each followed by its
// symbols sorted the same way as "Name = Kind value".
void DumpStore(const CAttributeFile& file, std::FILE* out);

}  // namespace vex::tools
