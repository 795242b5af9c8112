#pragma once
// Whole-file reads and complete, replace-on-success writes.

#include <cstdint>
#include <string>
#include <vector>

namespace pixrun {

constexpr uint64_t kMaxInputFileSize = uint64_t(1) << 30;

// False when the file cannot be opened or read, or is larger than kMaxInputFileSize;
// `error` then receives the errno value (EFBIG for the size).
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, int* error = nullptr);
// Writes a temporary file beside the destination and renames it over the destination
// once complete; on any failure the destination is untouched, false returned and the
// errno value put in `error`.
bool writeWholeFile(const std::string& path, const uint8_t* data, size_t size,
                    int* error = nullptr);

} // namespace pixrun
