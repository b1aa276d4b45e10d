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
// cover image "<path>". <reason>" when it is not a JPEG or PNG picture whose size can be
// read, or larger than kMaxCoverBytes.
CoverImage ReadCoverImage(std::u16string_view path);

// The picture kind and size that `bytes` hold; false (leaving `image` alone) when they are
// not a JPEG or PNG picture with a size of at least one pixel each way.
bool RecogniseCoverImage(std::string_view bytes, CoverImage* image);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_COVERIMAGE_H_
