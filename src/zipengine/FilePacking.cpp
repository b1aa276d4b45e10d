#include "zipengine/FilePacking.h"

#include <libdeflate.h>

#include <utility>

#include "zipengine/EngineError.h"

namespace quireforge {

void DeflateCompressorDeleter::operator()(libdeflate_compressor* compressor) const {
  libdeflate_free_compressor(compressor);
}

DeflateCompressor NewDeflateCompressor(int level) {
  if (level <= 0) return nullptr;
  DeflateCompressor compressor(libdeflate_alloc_compressor(level));
  if (!compressor) throw EngineError(ZE_ERR_MEMORY, "Not enough memory for a Deflate compressor");
  return compressor;
}

PackedFile PackBytes(ByteBuffer raw, bool store, libdeflate_compressor* compressor) {
  PackedFile packed;
  packed.size = raw.size();
  packed.crc = libdeflate_crc32(0, raw.data(), raw.size());
  if (compressor != nullptr && !store && raw.size() > 1) {
    // Room for one byte less than the file: Deflate data that does not fit is not worth keeping.
    ByteBuffer deflated(raw.size());
    size_t n = libdeflate_deflate_compress(compressor, raw.data(), raw.size(), deflated.data(),
                                           raw.size() - 1);
    if (n > 0) {
      deflated.SetSize(n);
      deflated.ShrinkToFit();
      packed.data = std::move(deflated);
      packed.deflated = true;
      return packed;
    }
  }
  raw.ShrinkToFit();
  packed.data = std::move(raw);
  return packed;
}

}  // namespace quireforge
