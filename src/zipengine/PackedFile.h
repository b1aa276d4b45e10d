// One file's data ready for the archive: either Deflate data or the file's own bytes, with the
// size and CRC-32 of the original. Move-only; owned by whoever holds it last (finally libzip's
// source for the entry).
#ifndef QUIREFORGE_ZIPENGINE_PACKEDFILE_H_
#define QUIREFORGE_ZIPENGINE_PACKEDFILE_H_

#include <cstdint>

#include "zipengine/ByteBuffer.h"

namespace quireforge {

struct PackedFile {
  ByteBuffer data;    // Deflate data when `deflated`, else the file's bytes
  uint64_t size = 0;  // bytes of the original file
  uint32_t crc = 0;   // CRC-32 of the original file
  bool deflated = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_PACKEDFILE_H_
