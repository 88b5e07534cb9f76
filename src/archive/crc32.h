#pragma once
#include <cstddef>
#include <cstdint>

namespace archive {

// CRC-32 of the ZIP format (polynomial 0xEDB88320), continued from `crc` (0 to start).
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace archive
