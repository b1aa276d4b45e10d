// Decides which file the engine binding hands to dlopen: the library in DLLDirectory (a
// DLLDirectory beginning with "." counts from the program's own folder), else the one
// beside the program, else the bare name for the system's search. Pure functions.
#ifndef QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_
#define QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_

#include <string>

namespace quireforge {

// The engine's file name, also what the system's search is given.
inline constexpr char kEngineLibraryName[] = "libqzengine.so";

// The folder holding the running program (from /proc/self/exe), without a trailing
// separator; empty when it cannot be read.
std::string ProgramFolder();

// `directory` (UTF-8) without trailing separators; the root "/" stays as it is.
std::string StripTrailingSeparators(std::string directory);

// The path to load: the first candidate that names an existing file, or
// kEngineLibraryName alone. Candidates that name no file are skipped.
std::string ChooseEnginePath(const std::string& dll_directory);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_
