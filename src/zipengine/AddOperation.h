// One add of ZE_ZipExec from start to finish: check the record, find the files, compress them
// on all cores, write the archive through libzip and put it in place, then delete the moved
// files. Runs entirely inside the call, on the caller's thread (workers are started and joined
// within it), and reports through the record's callback on that thread only.
#ifndef QUIREFORGE_ZIPENGINE_ADDOPERATION_H_
#define QUIREFORGE_ZIPENGINE_ADDOPERATION_H_

#include <cstdint>

#include "zipengine/ZipEngineApi.h"

namespace quireforge {

// The result of ZE_ZipExec for `command`: the number of files stored (directory entries aside),
// or a negative code of ZipEngineApi.h (-1 cancelled, -3 the callback failed, -4 memory,
// -5 a bad record, -8 writing, -9 reading) or of EngineError.h. Every failure but a stop or a
// record too damaged to trust is first explained by a message callback (kind 4) whose code is
// the result. After a failure the archive path is as it was and no file has been deleted.
// Never throws.
int32_t RunAddCommand(const ZE_ZipCommand* command);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ADDOPERATION_H_
