#pragma once
// Stream descriptions in words, for the pixrun tool.

#include "rlecodec.h"

#include <string>

namespace pixrun {

// What is wrong with a stream that still decoded: missing planes, planes cut short or
// without their end symbol. Empty for a sound stream.
std::string streamDamage(const StreamInfo& info);

// Header, code table, planes, sizes and symbol counts as lines of text. False when the
// header or code table cannot be read.
bool describeStream(const uint8_t* data, size_t size, std::string& text);

} // namespace pixrun
