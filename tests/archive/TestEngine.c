/* A stand-in for libqzengine.so, built once per behaviour with compile definitions:
 *   QZ_VERSION, QZ_REPORTED_PATH  what ZE_Version and ZE_Path report
 *   QZ_NO_PATH, QZ_NO_UNZEXEC     leave out an entry point
 *   QZ_RESULT                     what ZE_ZipExec returns
 *   QZ_MESSAGE_CODE, QZ_MESSAGE_TEXT  send one message (kind 4) first
 *   QZ_OPERATION_KEY              announce an operation key (kind 18)
 *   QZ_PROGRESS                   report two files (kinds 5, 6, 1, 2, 3, 15, 16)
 *   QZ_COPY_ZIP                   copy the file named by $QF_TEST_ENGINE_ZIP to the archive
 *   QZ_QUESTIONS                  report a skipped file (kind 11, code 7), ask for a file's
 *                                 comment (kind 12, 600 bytes) and extra data (kind 14, 8
 *                                 bytes), and log the answers
 * When $QF_TEST_ENGINE_LOG names a file, every call appends what it received to it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zipengine/ZipEngineApi.h"

#ifndef QZ_VERSION
#define QZ_VERSION 192
#endif
#ifndef QZ_RESULT
#define QZ_RESULT 0
#endif

static FILE* OpenLog(void) {
  const char* path = getenv("QF_TEST_ENGINE_LOG");
  return path != NULL ? fopen(path, "a") : NULL;
}

static const char* Text(const char* text) { return text != NULL ? text : "(null)"; }

static void DumpCommand(FILE* log, const ZE_ZipCommand* c) {
  fprintf(log, "exec\n");
  fprintf(log, "window=%p\n", c->window);
  fprintf(log, "callerSet=%d\n", c->caller != NULL);
  fprintf(log, "version=%d\n", c->version);
  fprintf(log, "callbackSet=%d\n", c->callback != NULL);
  fprintf(log, "trace=%d\n", c->trace);
  fprintf(log, "password=%s\n", Text(c->password));
  fprintf(log, "storeSuffixes=%s\n", Text(c->storeSuffixes));
  fprintf(log, "encrypt=%d\n", c->encrypt);
  fprintf(log, "hiddenFiles=%d\n", c->hiddenFiles);
  fprintf(log, "volume=%d\n", c->volume);
  fprintf(log, "reserved40=%d\n", c->reserved40);
  fprintf(log, "noSeparateDirs=%d\n", c->noSeparateDirs);
  fprintf(log, "fromDate=%d\n", c->fromDate);
  fprintf(log, "verbose=%d\n", c->verbose);
  fprintf(log, "reserved56=%d\n", c->reserved56);
  fprintf(log, "level=%d\n", c->level);
  fprintf(log, "newArchive=%d\n", c->newArchive);
  fprintf(log, "reserved68=%d\n", c->reserved68);
  fprintf(log, "noDirNames=%d\n", c->noDirNames);
  fprintf(log, "recurse=%d\n", c->recurse);
  fprintf(log, "reserved80=%d\n", c->reserved80);
  fprintf(log, "notSafe=%d\n", c->notSafe);
  fprintf(log, "forceDos=%d\n", c->forceDos);
  fprintf(log, "move=%d\n", c->move);
  fprintf(log, "reserved96=%d\n", c->reserved96);
  fprintf(log, "update=%d\n", c->update);
  fprintf(log, "freshen=%d\n", c->freshen);
  fprintf(log, "reserved108=%d\n", c->reserved108);
  fprintf(log, "zipTime=%d\n", c->zipTime);
  fprintf(log, "fromDosDate=%d\n", c->fromDosDate);
  fprintf(log, "specCount=%d\n", c->specCount);
  fprintf(log, "archivePath=%s\n", Text(c->archivePath));
  fprintf(log, "tempDir=%s\n", Text(c->tempDir));
  fprintf(log, "archiveComment=%s\n", Text(c->archiveComment));
  fprintf(log, "archiveOnly=%d\n", c->archiveOnly);
  fprintf(log, "resetArchive=%d\n", c->resetArchive);
  for (int i = 0; i < c->specCount; ++i) {
    const ZE_SpecEntry* s = &c->specs[i];
    fprintf(log, "spec%d=%s|password=%s|encrypt=%d|recurse=%d|spare=%s|reserved=%d,%d,%d,%d,%d\n",
            i, Text(s->spec), Text(s->password), s->encrypt, s->recurse, Text(s->spare),
            s->reserved4, s->reserved8, s->reserved24, s->reserved28, s->reserved32);
  }
  fprintf(log, "reserved148=%d\n", c->reserved148);
  fprintf(log, "excludeCount=%d\n", c->excludeCount);
  for (int i = 0; i < c->excludeCount; ++i) fprintf(log, "exclude%d=%s\n", i, Text(c->excludes[i]));
  fprintf(log, "streams=%d,%p,%lld,%d,%p,%lld\n", c->useInStream, c->inStream,
          (long long)c->inStreamSize, c->useOutStream, c->outStream, (long long)c->outStreamSize);
  fprintf(log, "allowUndo=%d\n", c->allowUndo);
  fprintf(log, "codePage=%d\n", c->codePage);
  fprintf(log, "reserved200=%d\n", c->reserved200);
  fprintf(log, "check=%d\n", c->check);
  fprintf(log, "rootDir=%s\n", Text(c->rootDir));
  fprintf(log, "reserved212=%d,%d\n", c->reserved212, c->reserved216);
  fprintf(log, "endMarker=%d\n", c->endMarker);
}

/* Calls back with one kind; returns nonzero when the caller asks to stop. */
static inline int32_t Call(ZE_ZipCommand* c, int32_t kind, int32_t arg1, const char* msg,
                           int64_t size) {
  ZE_CallbackData data = {0};
  data.isOperationZip = 1;
  data.actionCode = kind;
  data.arg1 = arg1;
  data.msg = msg;
  data.fileSize = size;
  return c->callback(c->caller, &data);
}

static inline int32_t Stopped(int32_t answer) {
  if (answer == ZE_CALLBACK_HANDLER_EXCEPTION) return ZE_ERR_HANDLER;
  return answer != 0 ? ZE_ERR_CANCELLED : 0;
}

#ifdef QZ_QUESTIONS
/* Asks one question with `data` as the second block and logs the answer. */
static int32_t Ask(ZE_ZipCommand* c, int32_t kind, int32_t arg1, const char* name, void* data) {
  ZE_CallbackData question = {0};
  question.isOperationZip = 1;
  question.actionCode = kind;
  question.arg1 = arg1;
  question.msg = name;
  question.data2 = data;
  const int32_t result = c->callback(c->caller, &question);
  FILE* log = OpenLog();
  if (log != NULL) {
    question.answer[sizeof question.answer - 1] = '\0';
    fprintf(log, "answer%d=%d len=%d text=%s\n", kind, question.actionCode, question.arg1,
            question.answer);
    fclose(log);
  }
  return result;
}

static int32_t AskQuestions(ZE_ZipCommand* c) {
  /* 200 characters of three bytes each: the answer must stop at a character's end. */
  static char comment[601];
  for (int i = 0; i < 200; ++i) memcpy(comment + 3 * i, "\xE6\xB3\xA8", 3); /* 注 */
  comment[600] = '\0';
  static unsigned char extra[8] = {0x75, 0x70, 4, 0, 1, 2, 3, 4};
  int32_t stop;
  if ((stop = Stopped(Ask(c, ZE_CB_EXTRACT_SKIPPED, 7, "skipped.txt", NULL))) != 0) return stop;
  if ((stop = Stopped(Ask(c, ZE_CB_FILE_COMMENT, 600, "a.txt", comment))) != 0) return stop;
  return Stopped(Ask(c, ZE_CB_FILE_EXTRA, (int32_t)sizeof extra, "a.txt", extra));
}
#endif

#ifdef QZ_COPY_ZIP
static int CopyZip(const char* target) {
  const char* source = getenv("QF_TEST_ENGINE_ZIP");
  if (source == NULL || target == NULL) return -1;
  FILE* in = fopen(source, "rb");
  if (in == NULL) return -1;
  FILE* out = fopen(target, "wb");
  if (out == NULL) {
    fclose(in);
    return -1;
  }
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) fwrite(buffer, 1, n, out);
  fclose(in);
  return fclose(out);
}
#endif

int32_t ZE_ZipExec(ZE_ZipCommand* c) {
  FILE* log = OpenLog();
  if (log != NULL) {
    DumpCommand(log, c);
    fclose(log);
  }
  int32_t stop;
#ifdef QZ_OPERATION_KEY
  if ((stop = Stopped(Call(c, ZE_CB_OPERATION_KEY, QZ_OPERATION_KEY, NULL, 0))) != 0) return stop;
#endif
#ifdef QZ_MESSAGE_CODE
  if ((stop = Stopped(Call(c, ZE_CB_MESSAGE, QZ_MESSAGE_CODE, QZ_MESSAGE_TEXT, 0))) != 0)
    return stop;
#endif
#ifdef QZ_PROGRESS
  if ((stop = Stopped(Call(c, ZE_CB_TOTAL_FILES, 2, NULL, 0))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_TOTAL_SIZE, 0, NULL, 300))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_NEW_FILE, 0, "a.txt", 100))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_PROGRESS, 0, NULL, 100))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_NEW_FILE, 0, "b/c.txt", 200))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_PROGRESS, 0, NULL, 150))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_NEW_EXTRA, 5, NULL, 40))) != 0) return stop;
  if ((stop = Stopped(Call(c, ZE_CB_EXTRA_UPDATE, 0, NULL, 20))) != 0) return stop;
#endif
#ifdef QZ_QUESTIONS
  if ((stop = AskQuestions(c)) != 0) return stop;
#endif
#ifdef QZ_COPY_ZIP
  if (CopyZip(c->archivePath) != 0) return ZE_ERR_WRITE;
#endif
  (void)stop;
  return QZ_RESULT;
}

#ifndef QZ_NO_UNZEXEC
int32_t ZE_UnzExec(void* command) {
  (void)command;
  return ZE_ERR_STRUCTURE;
}
#endif

int32_t ZE_Version(void) { return QZ_VERSION; }

int32_t ZE_PrivVersion(void) { return QZ_VERSION * 10000 + 1; }

int32_t ZE_Abort(int32_t key) {
  FILE* log = OpenLog();
  if (log != NULL) {
    fprintf(log, "abort %d\n", key);
    fclose(log);
  }
  return 0;
}

#ifndef QZ_NO_PATH
const char* ZE_Path(void) {
#ifdef QZ_REPORTED_PATH
  return QZ_REPORTED_PATH;
#else
  static char path[4096];
  Dl_info info;
  /* Any address inside the library names it; ISO C has no function-to-object pointer cast. */
  if (dladdr(path, &info) == 0 || info.dli_fname == NULL) return NULL;
  snprintf(path, sizeof path, "%s", info.dli_fname);
  return path;
#endif
}
#endif
