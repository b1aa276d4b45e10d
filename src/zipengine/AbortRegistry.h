// Operation keys for ZE_Abort. Each running ZE_ZipExec registers its stop flag under a fresh
// positive key for as long as it runs (AbortRegistration, RAII); ZE_Abort, from any thread, sets
// the flag registered under a key. The table is fixed-size and needs no destructor, so unloading
// the library leaves nothing behind.
#ifndef QUIREFORGE_ZIPENGINE_ABORTREGISTRY_H_
#define QUIREFORGE_ZIPENGINE_ABORTREGISTRY_H_

#include <atomic>
#include <cstdint>

namespace quireforge {

// Sets the flag registered under `key`. Returns false when no running operation has that key.
bool AbortOperation(int32_t key);

class AbortRegistration {
 public:
  // Registers `flag` (which must outlive the registration) under a fresh key. Throws
  // EngineError(kEngineInternal) when too many operations run at once.
  explicit AbortRegistration(std::atomic<bool>* flag);
  ~AbortRegistration();
  AbortRegistration(const AbortRegistration&) = delete;
  AbortRegistration& operator=(const AbortRegistration&) = delete;

  int32_t key() const { return key_; }

 private:
  int32_t key_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ABORTREGISTRY_H_
