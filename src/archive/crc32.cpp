#include "archive/crc32.h"

#include <zlib.h>

#include <climits>

namespace archive {

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    auto bytes = static_cast<const Bytef*>(data);
    uLong value = crc;
    // zlib takes a uInt length: feed large buffers in slices.
    while (size > 0) {
        const uInt slice = size > UINT_MAX ? UINT_MAX : static_cast<uInt>(size);
        value = crc32(value, bytes, slice);
        bytes += slice;
        size -= slice;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace archive
