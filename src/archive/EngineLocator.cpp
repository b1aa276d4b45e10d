#include "archive/EngineLocator.h"

#include <filesystem>
#include <system_error>

namespace quireforge {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  return StripTrailingSeparators(program.parent_path().string());
}

std::string EngineFolderFromProgram() { return QF_ENGINE_FOLDER_FROM_PROGRAM; }

std::string StripTrailingSeparators(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

std::string ChooseEnginePath(const std::string& dll_directory, const std::string& program_folder) {
  if (!dll_directory.empty()) {
    std::string folder = dll_directory;
    if (folder.front() == '.' && !program_folder.empty()) folder = Join(program_folder, folder);
    std::string candidate = Join(folder, kEngineLibraryName);
    if (IsExistingFile(candidate)) return candidate;
  }
  if (!program_folder.empty()) {
    std::string beside_program = Join(program_folder, kEngineLibraryName);
    if (IsExistingFile(beside_program)) return beside_program;
    // The installed layout; the path is written without "..", as error messages name it.
    std::filesystem::path installed =
        (std::filesystem::path(program_folder) / EngineFolderFromProgram() / kEngineLibraryName)
            .lexically_normal();
    if (IsExistingFile(installed.string())) return installed.string();
  }
  return kEngineLibraryName;
}

std::string ChooseEnginePath(const std::string& dll_directory) {
  return ChooseEnginePath(dll_directory, ProgramFolder());
}

}  // namespace quireforge
