#include "conversion/JobIdentifier.h"

#include <uuid/uuid.h>

namespace quireforge {

std::u16string NewJobIdentifier() {
  uuid_t guid;
  uuid_generate(guid);
  char text[37];
  uuid_unparse_upper(guid, text);
  return std::u16string(text, text + 36);
}

}  // namespace quireforge
