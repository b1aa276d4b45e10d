// Fresh identifiers for conversion jobs: a new GUID in its registry form without braces,
// upper-case hexadecimal digits grouped 8-4-4-4-12, 36 characters. Free function; any thread.
#ifndef QUIREFORGE_CONVERSION_JOBIDENTIFIER_H_
#define QUIREFORGE_CONVERSION_JOBIDENTIFIER_H_

#include <string>

namespace quireforge {

std::u16string NewJobIdentifier();

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_JOBIDENTIFIER_H_
