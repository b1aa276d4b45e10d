// Encodes a picture held in memory as a PNG file: a picture of at most 256 colours as 8-bit
// indices into a palette of its colours in the order they first appear, any other as 8-bit
// RGB; every row filtered by its difference to the row above (plain grounds become runs of
// zeros), compressed with libdeflate, and nothing but the IHDR, PLTE (with a palette), IDAT
// and IEND chunks, so the same pixels always give the same bytes. Made for drawn covers, where
// the usual encoders spend longer on the compression than the drawing takes: a palette gives
// the compressor a third of the bytes. Free function; any thread.
#ifndef QUIREFORGE_CONVERSION_PNGENCODER_H_
#define QUIREFORGE_CONVERSION_PNGENCODER_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace quireforge {

// The PNG of `height` rows of `width` pixels each, a row beginning every `stride` bytes at
// `pixels`; a pixel is a 32-bit word in native byte order holding 0xXXRRGGBB (Cairo's RGB24
// and ARGB32 of an opaque picture). Raises std::bad_alloc when memory runs out.
std::string EncodePng(const uint8_t* pixels, uint32_t width, uint32_t height, size_t stride);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PNGENCODER_H_
