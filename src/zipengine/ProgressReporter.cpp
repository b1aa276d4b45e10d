#include "zipengine/ProgressReporter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "zipengine/EngineError.h"

namespace quireforge {

namespace {

ZE_CallbackData Blank(int32_t kind) {
  ZE_CallbackData data;
  std::memset(&data, 0, sizeof(data));
  data.isOperationZip = 1;
  data.actionCode = kind;
  return data;
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

ProgressReporter::ProgressReporter(ZE_Callback callback, void* caller,
                                   const std::atomic<bool>* abort_flag)
    : callback_(callback),
      caller_(caller),
      abort_flag_(abort_flag),
      last_call_(std::chrono::steady_clock::now()) {}

void ProgressReporter::Call(ZE_CallbackData* data, bool even_when_stopped) {
  if (callback_ == nullptr) return;
  if (StopCode() != 0 && !even_when_stopped) return;
  int32_t answer;
  try {
    answer = callback_(caller_, data);
  } catch (...) {
    // The caller's exception must not travel through the engine (or libzip's C frames).
    answer = ZE_CALLBACK_HANDLER_EXCEPTION;
  }
  last_call_ = std::chrono::steady_clock::now();
  if (answer == ZE_CALLBACK_CONTINUE || stop_code_ != 0) return;
  stop_code_ = answer == ZE_CALLBACK_HANDLER_EXCEPTION ? ZE_ERR_HANDLER : ZE_ERR_CANCELLED;
}

void ProgressReporter::OperationKey(int32_t key) {
  ZE_CallbackData data = Blank(ZE_CB_OPERATION_KEY);
  data.arg1 = key;
  Call(&data);
}

void ProgressReporter::TotalFiles(int64_t count) {
  ZE_CallbackData data = Blank(ZE_CB_TOTAL_FILES);
  data.arg1 = ClampToInt32(count);
  Call(&data);
}

void ProgressReporter::TotalSize(int64_t bytes) {
  ZE_CallbackData data = Blank(ZE_CB_TOTAL_SIZE);
  data.fileSize = bytes;
  Call(&data);
}

void ProgressReporter::NewFile(const std::string& name, int64_t size, int64_t written) {
  ZE_CallbackData data = Blank(ZE_CB_NEW_FILE);
  data.msg = name.c_str();
  data.fileSize = size;
  data.written = written;
  Call(&data);
}

void ProgressReporter::Progress(int64_t bytes) {
  ZE_CallbackData data = Blank(ZE_CB_PROGRESS);
  data.fileSize = bytes;
  Call(&data);
}

void ProgressReporter::SubTask(int32_t code, int64_t size) {
  ZE_CallbackData data = Blank(ZE_CB_NEW_EXTRA);
  data.arg1 = code;
  data.fileSize = size;
  in_sub_task_ = true;
  sub_task_position_ = 0;
  Call(&data);
}

bool ProgressReporter::KeepAliveDue() const {
  return std::chrono::steady_clock::now() - last_call_ >= kKeepAliveInterval;
}

void ProgressReporter::KeepAlive() {
  if (!KeepAliveDue()) return;
  ZE_CallbackData data = Blank(in_sub_task_ ? ZE_CB_EXTRA_UPDATE : ZE_CB_PROGRESS);
  data.fileSize = in_sub_task_ ? sub_task_position_ : 0;
  Call(&data);
}

void ProgressReporter::SubTaskPosition(int64_t position) {
  sub_task_position_ = position;
  KeepAlive();
}

void ProgressReporter::EndOfBatch(int64_t total_bytes, int64_t written) {
  ZE_CallbackData data = Blank(ZE_CB_END_OF_BATCH);
  data.fileSize = total_bytes;
  data.written = written;
  in_sub_task_ = false;
  Call(&data);
}

void ProgressReporter::Message(int32_t code, const std::string& text) {
  ZE_CallbackData data = Blank(ZE_CB_MESSAGE);
  data.arg1 = code;
  data.msg = text.c_str();
  Call(&data, /*even_when_stopped=*/true);
}

int32_t ProgressReporter::StopCode() const {
  if (stop_code_ != 0) return stop_code_;
  if (abort_flag_ != nullptr && abort_flag_->load(std::memory_order_relaxed)) {
    return ZE_ERR_CANCELLED;
  }
  return 0;
}

void ProgressReporter::ThrowIfStopped() const {
  int32_t code = StopCode();
  if (code == ZE_ERR_HANDLER) throw EngineError(code, "The caller's progress handler failed");
  if (code != 0) throw EngineError(code, "Cancelled");
}

}  // namespace quireforge
