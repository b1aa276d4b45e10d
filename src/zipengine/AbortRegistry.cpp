#include "zipengine/AbortRegistry.h"

#include <limits>
#include <mutex>

#include "zipengine/EngineError.h"

namespace quireforge {

namespace {

constexpr int kSlots = 64;

struct Slot {
  int32_t key;
  std::atomic<bool>* flag;
};

// Zero-initialised, trivially destructible: nothing runs when the library is unloaded.
std::mutex table_mutex;
Slot table[kSlots];
int32_t last_key = 0;

}  // namespace

bool AbortOperation(int32_t key) {
  if (key <= 0) return false;
  std::lock_guard<std::mutex> lock(table_mutex);
  for (Slot& slot : table) {
    if (slot.key == key && slot.flag != nullptr) {
      slot.flag->store(true);
      return true;
    }
  }
  return false;
}

AbortRegistration::AbortRegistration(std::atomic<bool>* flag) {
  std::lock_guard<std::mutex> lock(table_mutex);
  for (Slot& slot : table) {
    if (slot.flag == nullptr) {
      last_key = last_key == std::numeric_limits<int32_t>::max() ? 1 : last_key + 1;
      slot = Slot{last_key, flag};
      key_ = last_key;
      return;
    }
  }
  throw EngineError(kEngineInternal, "Too many zip operations are running at once");
}

AbortRegistration::~AbortRegistration() {
  std::lock_guard<std::mutex> lock(table_mutex);
  for (Slot& slot : table) {
    if (slot.key == key_) slot = Slot{0, nullptr};
  }
}

}  // namespace quireforge
