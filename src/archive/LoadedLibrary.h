// LoadedLibrary owns one handle from dlopen and closes it when destroyed or closed, so no
// path through the engine binding leaves a library loaded by accident. Movable, not
// copyable; one thread.
#ifndef QUIREFORGE_ARCHIVE_LOADEDLIBRARY_H_
#define QUIREFORGE_ARCHIVE_LOADEDLIBRARY_H_

#include <string>

namespace quireforge {

class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  ~LoadedLibrary();

  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  LoadedLibrary(LoadedLibrary&& other) noexcept;
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept;

  // Loads `path` with every symbol resolved at once. On failure the result is not open
  // and `*error` (when given) holds the loader's reason.
  static LoadedLibrary Open(const std::string& path, std::string* error);

  bool IsOpen() const { return handle_ != nullptr; }

  // The address of the exported symbol `name`, or nullptr.
  void* Symbol(const char* name) const;

  // Unloads the library; nothing happens when none is open.
  void Close();

 private:
  void* handle_ = nullptr;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_LOADEDLIBRARY_H_
