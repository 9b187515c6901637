// The product that the installer carries: four files, each a name suffix and
// a block of bytes that lies in the executable's read-only data.
#pragma once
#include <cstdint>
#include <span>

namespace payload {

struct PayloadFile {
  const char* nameSuffix;  // one leading backslash, appended to the folder
  const unsigned char* bytes;
  const unsigned char* bytesEnd;

  std::uint32_t size() const { return static_cast<std::uint32_t>(bytesEnd - bytes); }
};

// In the order in which they are written.
std::span<const PayloadFile> PayloadFiles();

}  // namespace payload
