// How one file's bytes become the data of its archive entry: Deflate by libdeflate at the
// add's level, kept as they are when that does not make them smaller (or when they are to be
// stored). The one way both adds pack a file, so that the same bytes give the same entry.
// Free functions; any thread, each with a compressor of its own.
#ifndef QUIREFORGE_ZIPENGINE_FILEPACKING_H_
#define QUIREFORGE_ZIPENGINE_FILEPACKING_H_

#include <memory>

#include "zipengine/ByteBuffer.h"
#include "zipengine/PackedFile.h"

struct libdeflate_compressor;

namespace quireforge {

struct DeflateCompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const;
};
using DeflateCompressor = std::unique_ptr<libdeflate_compressor, DeflateCompressorDeleter>;

// A compressor for Deflate `level` (1-9); none for level 0, which stores everything. Throws
// EngineError(ZE_ERR_MEMORY) when it cannot be made.
DeflateCompressor NewDeflateCompressor(int level);

// The entry data of `raw`: its CRC-32 and size, and its Deflate data when `compressor` is given,
// `store` is false and Deflate makes it smaller; else `raw` itself (its spare room given back).
// Throws std::bad_alloc.
PackedFile PackBytes(ByteBuffer raw, bool store, libdeflate_compressor* compressor);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_FILEPACKING_H_
