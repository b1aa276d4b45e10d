/* The C interface of the zip engine libqzengine.so, shared by the engine, the archive
 * component's binding and the test engines. The records keep the fields of the engine's
 * command record in their historical order; the layout is the platform's natural one and
 * every text is NUL-terminated UTF-8 that the caller owns and releases after the call. */
#ifndef QUIREFORGE_ZIPENGINE_ZIPENGINEAPI_H_
#define QUIREFORGE_ZIPENGINE_ZIPENGINEAPI_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Flags are 0 for false and -1 (all bits set) for true unless said otherwise. */
#define ZE_TRUE (-1)
#define ZE_FALSE 0

/* Interface version the caller speaks, and the check value at the end of the record. */
#define ZE_INTERFACE_VERSION 179
#define ZE_END_MARKER 7

/* Callback kinds, in the low 6 bits of ZE_CallbackData.actionCode. */
enum {
  ZE_CB_NEW_FILE = 1,     /* a file is started: msg = name, fileSize, written */
  ZE_CB_PROGRESS = 2,     /* fileSize = bytes processed since the last report */
  ZE_CB_END_OF_BATCH = 3, /* all files done */
  ZE_CB_MESSAGE = 4,      /* arg1 = message code, msg = text */
  ZE_CB_TOTAL_FILES = 5,  /* arg1 = number of files to process */
  ZE_CB_TOTAL_SIZE = 6,   /* fileSize = total bytes to process */
  ZE_CB_SET_ADD_NAME = 7,
  ZE_CB_PASSWORD = 8,
  ZE_CB_CRC_ERROR = 9,
  ZE_CB_OVERWRITE = 10,
  ZE_CB_EXTRACT_SKIPPED = 11, /* arg1 = code: it becomes the caller's last error code */
  ZE_CB_FILE_COMMENT = 12,    /* msg = file, data2 = its comment (NUL-terminated); answer:
                                 answer[] = comment (at most 511 bytes), arg1 = its length,
                                 actionCode = -1 */
  ZE_CB_STREAM_SIZE = 13,
  ZE_CB_FILE_EXTRA = 14,   /* arg1 = length, data2 = extra data; answer: actionCode = -1
                              with arg1 and data2 as they are (kept) */
  ZE_CB_NEW_EXTRA = 15,    /* arg1 = sub-task code, fileSize = its size */
  ZE_CB_EXTRA_UPDATE = 16, /* fileSize = position in the sub-task */
  ZE_CB_SET_EXTRACT_NAME = 17,
  ZE_CB_OPERATION_KEY = 18 /* arg1 = key that ZE_Abort accepts */
};

/* Answers the caller writes back into actionCode for question kinds. */
#define ZE_ANSWER_YES (-1)
#define ZE_ANSWER_NO (-2)
#define ZE_ANSWER_NO_2 (-3)

/* Result of the callback: 0 go on, 1 stop, 10106 an exception happened in the caller. */
#define ZE_CALLBACK_CONTINUE 0
#define ZE_CALLBACK_STOP 1
#define ZE_CALLBACK_HANDLER_EXCEPTION 10106

/* Negative results of ZE_ZipExec. */
#define ZE_ERR_CANCELLED (-1)
#define ZE_ERR_ABORTED (-2)
#define ZE_ERR_HANDLER (-3)
#define ZE_ERR_MEMORY (-4)
#define ZE_ERR_STRUCTURE (-5)
#define ZE_ERR_CALL_FAILED (-7)
/* Any other negative value is an engine failure of its own. */
#define ZE_ERR_WRITE (-8)
#define ZE_ERR_READ (-9)

typedef struct ZE_CallbackData {
  void* reserved0;
  void* reserved1;
  int32_t isOperationZip; /* nonzero while adding, 0 while extracting */
  int32_t actionCode;     /* kind in the low 6 bits on entry; the caller's answer on return */
  int32_t arg1;           /* message code, count, length or key */
  const char* msg;        /* file name or message text, UTF-8; may be NULL */
  int64_t fileSize;       /* a size (kinds 1, 2, 3, 6, 15, 16) */
  int64_t written;        /* bytes written so far (kinds 1-3 while adding) */
  void* data2;            /* second text or data block (kinds 7, 12, 13, 14) */
  int32_t arg3;
  int32_t arg4;
  char answer[512]; /* texts the caller answers with */
} ZE_CallbackData;

/* Called by the engine on the thread that called ZE_ZipExec, before ZE_ZipExec returns. */
typedef int32_t (*ZE_Callback)(void* caller, ZE_CallbackData* data);

/* One file spec of an add. */
typedef struct ZE_SpecEntry {
  const char* spec; /* the spec, trimmed, e.g. "*.*"; NULL when empty */
  int32_t reserved4;
  int32_t reserved8;
  const char* password; /* NULL: none */
  int32_t encrypt;      /* copy of the record's encrypt flag, 0xFFFF for an own password */
  int32_t recurse;      /* 0xFFFF: match in every subdirectory too; 0: only in the root */
  int32_t reserved24;
  int32_t reserved28;
  int32_t reserved32;
  const char* spare; /* always NULL */
  int32_t reserved40[6];
} ZE_SpecEntry;

/* The command record of an add. */
typedef struct ZE_ZipCommand {
  void* window;    /* opaque; the engine ignores it */
  void* caller;    /* passed back as the first argument of every callback */
  int32_t version; /* ZE_INTERFACE_VERSION */
  ZE_Callback callback;
  int32_t trace;
  const char* password;      /* NULL: none */
  const char* storeSuffixes; /* ".gif:.png:..." stored without compression; NULL: none */
  int32_t encrypt;
  int32_t hiddenFiles;
  int32_t volume;
  int32_t reserved40;     /* always 0 */
  int32_t noSeparateDirs; /* true: no entries for directories */
  int32_t fromDate;
  int32_t verbose;
  int32_t reserved56; /* always -1 */
  int32_t level;      /* Deflate level 0-9 */
  int32_t newArchive; /* true: write a fresh archive instead of adding into the old one */
  int32_t reserved68; /* always 0 */
  int32_t noDirNames; /* true: entry names without their directory part */
  int32_t recurse;
  int32_t reserved80;
  int32_t notSafe; /* true: AddSafe not requested */
  int32_t forceDos;
  int32_t move;       /* true: delete every stored file once the archive is complete */
  int32_t reserved96; /* always 0 */
  int32_t update;
  int32_t freshen;
  int32_t reserved108; /* always 0 */
  int32_t zipTime;
  int32_t fromDosDate;
  int32_t specCount;
  const char* archivePath;
  const char* tempDir;        /* NULL: the system default */
  const char* archiveComment; /* NULL for a new archive */
  int32_t archiveOnly;        /* 1 when requested */
  int32_t resetArchive;       /* 1 when requested */
  ZE_SpecEntry* specs;        /* specCount entries */
  int32_t reserved148;
  int32_t excludeCount;
  const char** excludes; /* excludeCount texts */
  int32_t useInStream;   /* memory-stream fields, unused for adds of files */
  void* inStream;
  int64_t inStreamSize;
  int32_t useOutStream;
  void* outStream;
  int64_t outStreamSize;
  int32_t allowUndo; /* deletion may be undoable; plain deletion here */
  int32_t codePage;  /* 2: OEM names; otherwise 0 */
  int32_t reserved200;
  int32_t check;       /* ZE_INTERFACE_VERSION */
  const char* rootDir; /* full path of the base directory */
  int32_t reserved212;
  int32_t reserved216;
  int32_t endMarker; /* ZE_END_MARKER */
} ZE_ZipCommand;

/* One entry of a streamed add (ZE_StreamPut). */
typedef struct ZE_StreamEntry {
  const char* name; /* "/"-separated, relative; a directory's ends in "/" */
  const void* data; /* the file's bytes, copied by the call; NULL for a directory */
  int64_t size;     /* bytes at data */
  int64_t mtime;    /* seconds since the epoch */
  int32_t mode;     /* permission bits */
  int32_t reserved; /* 0 */
} ZE_StreamEntry;

/* The six entry points every engine has, resolved by name. */
int32_t ZE_ZipExec(ZE_ZipCommand* command);
int32_t ZE_UnzExec(void* command);
int32_t ZE_Version(void);
int32_t ZE_PrivVersion(void);
int32_t ZE_Abort(int32_t key);
const char* ZE_Path(void);

/* The three entry points of a streamed add, which an older engine lacks.
 * A streamed add: the archive of an add written from files handed over from memory one by one,
 * compressed on worker threads while the caller goes on making the next, and put in place only
 * when the stream is closed with commit. Entries are stored in the order an add of the same
 * files from disk would store them (each folder's entries sorted by name, a folder's entry
 * before its contents, "mimetype" first), with the same bytes.
 *
 * ZE_StreamOpen takes a command record as ZE_ZipExec does (archive path, level, new-archive
 * flag, store suffixes, archive comment, callback and caller; no file specs, no move) and
 * gives the stream in *stream: 0, or a negative result as ZE_ZipExec gives (*stream is then
 * NULL). The record may be released after the call; the caller must stay valid until the
 * stream is closed. Callbacks arrive only within the three calls, on the thread that makes
 * them; the operation key is announced at the open and stays good until the close.
 * ZE_StreamPut hands over one entry (an entry of the same name put before is replaced): 0, or
 * a negative result; after a failure every later put gives it again without doing anything.
 * It waits when the files handed over wait to be compressed beyond a bound of memory.
 * ZE_StreamClose with commit writes the archive and puts it in place: the number of files
 * stored, 0 when there were none (nothing is written then), or a negative result (the archive
 * path is then as it was). Without commit, or after a failure, everything is dropped and the
 * archive path is untouched: 0, or the failure's result. The stream is gone after the close,
 * whatever its result; every stream opened must be closed once. */
int32_t ZE_StreamOpen(ZE_ZipCommand* command, void** stream);
int32_t ZE_StreamPut(void* stream, const ZE_StreamEntry* entry);
int32_t ZE_StreamClose(void* stream, int32_t commit);

typedef int32_t (*ZE_ZipExecFn)(ZE_ZipCommand*);
typedef int32_t (*ZE_UnzExecFn)(void*);
typedef int32_t (*ZE_VersionFn)(void);
typedef int32_t (*ZE_PrivVersionFn)(void);
typedef int32_t (*ZE_AbortFn)(int32_t);
typedef const char* (*ZE_PathFn)(void);
typedef int32_t (*ZE_StreamOpenFn)(ZE_ZipCommand*, void**);
typedef int32_t (*ZE_StreamPutFn)(void*, const ZE_StreamEntry*);
typedef int32_t (*ZE_StreamCloseFn)(void*, int32_t);

#ifdef __cplusplus
}
#endif

#endif /* QUIREFORGE_ZIPENGINE_ZIPENGINEAPI_H_ */
