// The entry points of libqzengine.so, the only symbols the library exports: the six of every
// engine and the three of a streamed add. Each is safe to call from any thread; ZE_ZipExec does
// all its work, threads included, within the call, and a stream's workers live from its open to
// its close.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "zipengine/AbortRegistry.h"
#include "zipengine/AddOperation.h"
#include "zipengine/EngineError.h"
#include "zipengine/StreamedAdd.h"
#include "zipengine/ZipEngineApi.h"

#define QZ_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Version of the interface the engine speaks (accepted by callers from 179 to 300), and the
// engine's own build number.
constexpr int32_t kEngineVersion = 190;
constexpr int32_t kEnginePrivateVersion = 1900001;

}  // namespace

QZ_EXPORT int32_t ZE_ZipExec(ZE_ZipCommand* command) { return quireforge::RunAddCommand(command); }

QZ_EXPORT int32_t ZE_StreamOpen(ZE_ZipCommand* command, void** stream) {
  if (stream == nullptr) return ZE_ERR_STRUCTURE;
  *stream = nullptr;
  // A record without this interface's markers may have any layout: not even its callback can
  // be trusted.
  if (command == nullptr || !quireforge::HasValidMarkers(*command)) return ZE_ERR_STRUCTURE;
  quireforge::StreamedAdd* add = nullptr;
  try {
    add = new quireforge::StreamedAdd(*command);
  } catch (...) {
    return ZE_ERR_MEMORY;
  }
  const int32_t result = add->Open(*command);
  if (result != 0) {
    delete add;
    return result;
  }
  *stream = add;
  return 0;
}

QZ_EXPORT int32_t ZE_StreamPut(void* stream, const ZE_StreamEntry* entry) {
  if (stream == nullptr || entry == nullptr) return ZE_ERR_STRUCTURE;
  return static_cast<quireforge::StreamedAdd*>(stream)->Put(*entry);
}

QZ_EXPORT int32_t ZE_StreamClose(void* stream, int32_t commit) {
  if (stream == nullptr) return ZE_ERR_STRUCTURE;
  auto* add = static_cast<quireforge::StreamedAdd*>(stream);
  const int32_t result = add->Close(commit != 0);
  delete add;
  return result;
}

QZ_EXPORT int32_t ZE_UnzExec(void*) {
  // Extraction is not part of this engine.
  return quireforge::kEngineUnsupported;
}

QZ_EXPORT int32_t ZE_Version(void) { return kEngineVersion; }

QZ_EXPORT int32_t ZE_PrivVersion(void) { return kEnginePrivateVersion; }

QZ_EXPORT int32_t ZE_Abort(int32_t key) { return quireforge::AbortOperation(key) ? 1 : 0; }

QZ_EXPORT const char* ZE_Path(void) {
  // The full path of this very library, worked out once; the text lives as long as the library.
  static const std::string path = [] {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&ZE_Path), &info) == 0 || info.dli_fname == nullptr) {
      return std::string();
    }
    char resolved[PATH_MAX];
    return std::string(realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname);
  }();
  return path.c_str();
}
