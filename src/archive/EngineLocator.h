// Decides which file the engine binding hands to dlopen: the library in DLLDirectory (a
// DLLDirectory beginning with "." counts from the program's own folder), else the one
// beside the program (a build folder), else the one in the installed layout's private folder
// relative to the program, else the bare name for the system's search. Pure functions.
#ifndef QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_
#define QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_

#include <string>

namespace quireforge {

// The engine's file name, also what the system's search is given.
inline constexpr char kEngineLibraryName[] = "libqzengine.so";

// The folder holding the running program (from /proc/self/exe), without a trailing
// separator; empty when it cannot be read.
std::string ProgramFolder();

// Where an installed program finds the engine, relative to the program's folder
// ("../lib/<multiarch>/quireforge" when installed under /usr).
std::string EngineFolderFromProgram();

// `directory` (UTF-8) without trailing separators; the root "/" stays as it is.
std::string StripTrailingSeparators(std::string directory);

// The path to load for a program in `program_folder` (empty when unknown): the first
// candidate that names an existing file, or kEngineLibraryName alone. Candidates that name
// no file are skipped.
std::string ChooseEnginePath(const std::string& dll_directory, const std::string& program_folder);

// The same for the running program.
std::string ChooseEnginePath(const std::string& dll_directory);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ENGINELOCATOR_H_
