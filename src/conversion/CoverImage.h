// A book's cover picture: the bytes of a JPEG or PNG file, recognised by their content (never
// by the file's name), with the media type and file name it takes in the book and its size
// in pixels. Read whole, at once, before anything of the book is written. Plain value; any
// thread.
#ifndef QUIREFORGE_CONVERSION_COVERIMAGE_H_
#define QUIREFORGE_CONVERSION_COVERIMAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quireforge {

struct CoverImage {
  std::string bytes;
  std::u16string_view media_type;  // "image/jpeg" or "image/png"
  std::u16string_view file_name;   // "cover.jpg" or "cover.png", beside the pages
  uint32_t width = 0;              // pixels, never 0
  uint32_t height = 0;
};

// Cover pictures larger than this are refused.
inline constexpr size_t kMaxCoverBytes = size_t{64} << 20;

// Reads the picture at `path`. Raises FileError: "Cannot open file "<path>". <reason>" when
// it cannot be read (missing, unreadable, a folder, a device or a pipe), and "Cannot use
// cover image "<path>". <reason>" when it is larger than kMaxCoverBytes or when
// CoverImageProblem finds something wrong with it.
CoverImage ReadCoverImage(std::u16string_view path);

// What is wrong with `bytes` as a cover picture, as one sentence ("It is neither a JPEG nor a
// PNG picture.", "It is a damaged PNG picture: the CRC of its IHDR chunk is wrong."); empty
// when they are a sound one, whose kind and size then go to `image` (left alone otherwise).
// Sound means whole in the structure a reader relies on: for PNG the signature, every chunk
// whole with its CRC, IHDR first with 13 bytes, a width and height from 1 to 2^31-1 and a
// valid format, image data (IDAT) and IEND; for JPEG the start-of-image marker, segments
// whole up to the start of the scan, a frame header (SOF) of the right length with a width
// and height of at least 1, a scan header (SOS) of the right length, and an end-of-image
// marker (EOI) after it. The pixels themselves are not decoded.
std::string CoverImageProblem(std::string_view bytes, CoverImage* image);

// True when CoverImageProblem finds nothing wrong.
bool RecogniseCoverImage(std::string_view bytes, CoverImage* image);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_COVERIMAGE_H_
