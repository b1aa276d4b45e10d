// Talks to the caller of ZE_ZipExec through its callback: operation key, totals, one report per
// file, progress, sub-tasks, messages and the end of the batch. Owned by one ZE_ZipExec call and
// used only on the thread that made it, so every callback arrives there. Remembers a stop
// request (a callback answering "stop", or ZE_Abort with the operation key) for the engine to
// act on; it never throws, so that libzip's C callbacks may use it too.
#ifndef QUIREFORGE_ZIPENGINE_PROGRESSREPORTER_H_
#define QUIREFORGE_ZIPENGINE_PROGRESSREPORTER_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "zipengine/ZipEngineApi.h"

namespace quireforge {

class ProgressReporter {
 public:
  // How long the caller may go without a callback while work goes on.
  static constexpr std::chrono::milliseconds kKeepAliveInterval{25};

  // `callback` may be null (nothing is reported). `abort_flag` is set by ZE_Abort and must
  // outlive the reporter.
  ProgressReporter(ZE_Callback callback, void* caller, const std::atomic<bool>* abort_flag);
  ProgressReporter(const ProgressReporter&) = delete;
  ProgressReporter& operator=(const ProgressReporter&) = delete;

  void OperationKey(int32_t key);                                        // kind 18
  void TotalFiles(int64_t count);                                        // kind 5
  void TotalSize(int64_t bytes);                                         // kind 6
  void NewFile(const std::string& name, int64_t size, int64_t written);  // kind 1
  void Progress(int64_t bytes);                                          // kind 2
  void SubTask(int32_t code, int64_t size);                              // kind 15
  void EndOfBatch(int64_t total_bytes, int64_t written);                 // kind 3
  void Message(int32_t code, const std::string& text);                   // kind 4

  // A progress report of no bytes (kind 2), or the position of the current sub-task (kind 16)
  // when one was announced, but only when the last callback is kKeepAliveInterval old: lets the
  // caller keep its window painted while the engine works or waits.
  void KeepAlive();

  // Records how far the current sub-task has come, then KeepAlive().
  void SubTaskPosition(int64_t position);

  // True when the last callback is kKeepAliveInterval old.
  bool KeepAliveDue() const;

  // 0 while the work may go on; else the result the stop asks for: ZE_ERR_CANCELLED, or
  // ZE_ERR_HANDLER when the callback reported an exception of its own.
  int32_t StopCode() const;

  // Throws EngineError with StopCode() when a stop was asked for.
  void ThrowIfStopped() const;

 private:
  // Calls the callback with `data` (kind already set) unless a stop is pending or there is no
  // callback; records a stop answer. Progress kinds are skipped once a stop is pending.
  void Call(ZE_CallbackData* data, bool even_when_stopped = false);

  ZE_Callback callback_;
  void* caller_;
  const std::atomic<bool>* abort_flag_;
  int32_t stop_code_ = 0;
  bool in_sub_task_ = false;
  int64_t sub_task_position_ = 0;
  std::chrono::steady_clock::time_point last_call_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_PROGRESSREPORTER_H_
