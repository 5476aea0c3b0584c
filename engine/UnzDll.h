/*
 * The unzip engine's calling interface: the parameter record, the file spec
 * element, the callback record and the two exported entry points.
 *
 * The records are plain C structs in natural layout. With 32-bit pointers
 * they are exactly 148, 72 and 540 bytes, with the offsets given in the
 * comments; with 64-bit pointers every member keeps its order and pointer
 * members are 8 bytes wide. "True" is any non-zero value (callers pass -1).
 * Texts are zero-terminated UTF-8 on Linux.
 *
 * Parameter record, as the engine reads it
 * ----------------------------------------
 * archiveName       the archive to extract. Archives spread over several
 *                   disks are refused.
 * extractFolder     the existing folder that receives the entries; a
 *                   trailing "/" or "\" is accepted. An empty text means the
 *                   current folder. Nothing outside this folder is ever
 *                   created, changed or removed.
 * fileSpecs         when fileSpecCount > 0, only entries whose name matches
 *                   one of the texts are extracted: "*" matches any run of
 *                   characters (folder separators included), "?" one
 *                   character, "/" and "\" are the same, ASCII letters match
 *                   without regard to case, and a text naming a folder also
 *                   selects everything below it. Otherwise every entry.
 * folderNames       (offset 40) true: stored folder names are recreated
 *                   below the extraction folder. False: every file lands in
 *                   the extraction folder under the last part of its name,
 *                   and folder entries are skipped.
 * The handling of existing files is chosen by the first true one of:
 * keepExisting      (offset 28) an existing file is never replaced and no
 *                   question is asked; the entry is skipped.
 * update            (offset 48) an entry is extracted when no file exists;
 *                   for an existing file the overwrite question is asked.
 * freshen           (offset 52) only entries whose file (or folder)
 *                   already exists are extracted, files after the overwrite
 *                   question; the others are skipped.
 * (none of these)   every selected entry is extracted; for an existing file
 *                   the overwrite question is asked. overwriteExisting
 *                   (offset 56) and extractAll (offset 60) describe this
 *                   case and change nothing beyond it.
 * The overwrite question (action 10) carries in flag bit 0 whether the
 * existing file is older than the entry (its modification time is earlier;
 * for an entry with only a DOS time the file's time is first rounded up to
 * the DOS 2-second step), and the answer comes back in number: 1 replaces
 * the file, anything else keeps it (the entry is skipped). Links count as
 * files and are replaced, never followed. A folder where a file would go is
 * never replaced: the entry is refused.
 * password          (offset 24) null, or a password tried on encrypted
 *                   entries before the caller is asked.
 * version           must be 160 or higher; check3 must be 3 and check7 must
 *                   be 7. The engine refuses any other record with
 *                   UNZ_BAD_PARAMETERS and without calling back.
 * The members named reserved are ignored.
 *
 * Callback protocol
 * -----------------
 * Every call comes on the thread that called UnzDllExec, in this order:
 *   5 (number: entries in the batch), 6 (number: their uncompressed bytes,
 *   limited to 2^31 - 1), then for each entry of the batch in archive order:
 *   1  begins the entry. text: its name in UTF-8 with every "/" shown as "\"
 *      and control characters as "?", as the archive component lists it;
 *      number: its uncompressed size, limited to 2^31 - 1.
 *   10 the overwrite question, when a file of that name exists (see above).
 *   8  a password request for an encrypted entry: number 3 on the first
 *      request; after a wrong password the engine asks again with the
 *      number the caller returned, lowered by at least 1, and refuses the
 *      entry when it reaches 0 (three requests at most). On return flag 1
 *      means text holds the password (its UTF-8 bytes are the key), flag 0
 *      skips the entry. Passwords that worked earlier in the batch, and the
 *      record's password, are tried before asking.
 *   2  progress: number holds the uncompressed bytes written since the
 *      previous report (less than 512 KiB); a report follows every 256 KiB
 *      written and at least every 100 ms, so a stop is never far away.
 *   9  the damaged entry question, after a CRC, size or data error, a failed
 *      AES authentication, or when the local header contradicts the central
 *      directory: flag 1 keeps the file as written (cut at the stated size),
 *      flag 0 discards it.
 *   4  then 11 for an entry refused or failed: text is a readable message
 *      naming the entry and the reason.
 *   11 alone for an entry left out: kept by the overwrite answer, left out
 *      by the options, or without a password.
 *   and finally 3 ends the batch.
 * In every record the engine sets identity, action, flag, number and text;
 * the other members are 0. The callback returns 0 to go on; any other value
 * stops the engine: it removes the file it was writing (an existing file of
 * that name stays untouched), makes no further calls and returns
 * UNZ_CANCELLED. A C++ exception thrown by the callback stops the engine in
 * the same way and is thrown on by UnzDllExec once the engine has cleaned
 * up, where the caller's frames and the engine's unwind alike (Linux,
 * 64-bit Windows). On 32-bit Windows every module carries its own unwinder
 * and an exception thrown through the engine ends the program: a callback
 * there returns -1 instead and raises its error after UnzDllExec.
 *
 * Result of UnzDllExec
 * --------------------
 *   0   every entry of the batch was extracted or deliberately left out
 *       (kept, skipped by the options or by a missing password);
 *   > 0 the number of entries refused or failed (unsafe name, symbolic
 *       link, unsupported method, damaged and discarded, wrong passwords,
 *       write errors);
 *   < 0 one of the UNZ_ codes below; for a failure of the whole archive a
 *       message (action 4) is reported first.
 *
 * Entries
 * -------
 * Methods: stored, deflated, bzip2 and LZMA; traditional PKWARE encryption
 * and WinZip AES (AE-1, AE-2); zip64 sizes, offsets and entry counts (at
 * most 250,000 entries); data descriptors; data in front of the archive
 * (the central directory is placed back from the end record). Names are
 * read as the archive component lists them: the Info-ZIP Unicode path
 * field when current; UTF-8 when flagged so; the OEM code page of the
 * locale for an archive whose first entry was written on DOS, OS/2 or by
 * PKZIP 5.0 on NTFS; else UTF-8 when valid, or the locale's ANSI code page.
 * The locale is the user interface's (LC_ALL, LC_MESSAGES, LANG; on Windows
 * the system's code pages): 437 and 1252 for US English and the C locale,
 * 850 for Western Europe, 852 for Central Europe, 737 for Greek, 866 for
 * Cyrillic, 857 for Turkish, and so on.
 *
 * Refused: names with "..", an absolute path, a drive letter, a UNC prefix,
 * a NUL byte or another control character, or an empty part ("./" alone is
 * the extraction folder itself); symbolic links, devices, pipes and
 * sockets; entries whose data overlaps another entry or the central
 * directory; unsupported methods. "\" separates folders like "/".
 *
 * Files get the entry's modification time (extended timestamp or NTFS time
 * field, else the DOS time as local time) and, for entries made on Unix,
 * its permission bits without set-user-id, set-group-id and sticky, reduced
 * by the umask; other entries are read-only when their DOS attribute says
 * so. Folders get their times at the end of the batch; a folder is always
 * writable by its owner.
 *
 * Existing links below the extraction folder are never followed. Each file
 * is written without a visible name in its own folder and takes its final
 * name only when it is complete and verified (or accepted through action
 * 9), replacing an existing file in one step. A stopped, failed or killed
 * extraction leaves no partial file in the place of an existing one. When
 * files were replaced, the file system is flushed once at the end of the
 * batch.
 */
#ifndef VG_ENGINE_UNZDLL_H
#define VG_ENGINE_UNZDLL_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define UNZ_CALL __stdcall
#else
#define UNZ_CALL
#endif

/* Defined while the engine itself is built. */
#if !defined(VG_ENGINE_BUILD)
#define UNZ_EXPORT
#elif defined(_WIN32)
#define UNZ_EXPORT __declspec(dllexport)
#else
#define UNZ_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    UNZ_OK = 0,
    UNZ_CANCELLED = -1,      /* the callback asked to stop */
    UNZ_BAD_PARAMETERS = -2, /* null record, texts or callback, or wrong version or checks */
    UNZ_NO_ARCHIVE = -3,     /* the archive cannot be opened or read */
    UNZ_NOT_A_ZIP = -4,      /* no end record, or a damaged central directory */
    UNZ_MULTI_DISK = -5,     /* the archive is spread over several disks */
    UNZ_NO_FOLDER = -6,      /* the extraction folder cannot be opened */
    UNZ_INTERNAL = -7        /* out of memory or an unexpected failure */
};

enum {
    UNZ_ACTION_NONE = 0,
    UNZ_ACTION_BEGIN_ENTRY = 1,
    UNZ_ACTION_PROGRESS = 2,
    UNZ_ACTION_END_BATCH = 3,
    UNZ_ACTION_MESSAGE = 4,
    UNZ_ACTION_BATCH_COUNT = 5,
    UNZ_ACTION_BATCH_BYTES = 6,
    UNZ_ACTION_PASSWORD = 8,
    UNZ_ACTION_DAMAGED = 9,
    UNZ_ACTION_OVERWRITE = 10,
    UNZ_ACTION_SKIPPED = 11
};

enum { UNZ_INTERFACE_VERSION = 160, UNZ_PASSWORD_FIRST_REQUEST = 3, UNZ_TEXT_SIZE = 512 };

typedef struct UnzCallbackInfo {
    int32_t reserved0;        /* 0 */
    void* identity;           /* 4: UnzParams.identity */
    int32_t reserved8;        /* 8 */
    int32_t reserved12;       /* 12 */
    int32_t action;           /* 16: UNZ_ACTION_ */
    int32_t flag;             /* 20: read and written */
    int32_t number;           /* 24: read and written */
    char text[UNZ_TEXT_SIZE]; /* 28: zero-terminated; receives a password */
} UnzCallbackInfo;

typedef int32_t(UNZ_CALL* UnzCallback)(UnzCallbackInfo* info);

typedef struct UnzFileSpec {
    const char* pattern; /* 0 */
    char reserved[68];   /* 4 */
} UnzFileSpec;

typedef struct UnzParams {
    int32_t reserved0;            /* 0 */
    void* identity;               /* 4 */
    int32_t version;              /* 8: 160 */
    UnzCallback callback;         /* 12 */
    int32_t reserved16;           /* 16 */
    int32_t reserved20;           /* 20 */
    const char* password;         /* 24 */
    int32_t keepExisting;         /* 28 */
    int32_t reserved32;           /* 32 */
    int32_t reserved36;           /* 36 */
    int32_t folderNames;          /* 40 */
    int32_t reserved44;           /* 44 */
    int32_t update;               /* 48 */
    int32_t freshen;              /* 52 */
    int32_t overwriteExisting;    /* 56 */
    int32_t extractAll;           /* 60 */
    int32_t fileSpecCount;        /* 64 */
    const char* archiveName;      /* 68 */
    const UnzFileSpec* fileSpecs; /* 72 */
    int32_t reserved76[7];        /* 76 */
    int32_t check3;               /* 104: 3 */
    const char* extractFolder;    /* 108 */
    int32_t reserved112[8];       /* 112 */
    int32_t check7;               /* 144: 7 */
} UnzParams;

/* The engine's version number: 160 or higher. */
UNZ_EXPORT uint32_t UNZ_CALL GetUnzDllVersion(void);

/* Extracts the archive named in the record; returns when the batch is over.
   Throws nothing but what the callback threw, and never ends the process.
   Not reentrant: one call at a time per process. */
UNZ_EXPORT int32_t UNZ_CALL UnzDllExec(const UnzParams* params);

#ifdef __cplusplus
}
#endif

/* The 32-bit layout, checked wherever pointers are 4 bytes wide. */
#if defined(__cplusplus)
#include <cstddef>
#define UNZ_LAYOUT_CHECK(condition, what) static_assert(sizeof(void*) != 4 || (condition), what)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#include <stddef.h>
#define UNZ_LAYOUT_CHECK(condition, what) _Static_assert(sizeof(void*) != 4 || (condition), what)
#else
#define UNZ_LAYOUT_CHECK(condition, what)
#endif
UNZ_LAYOUT_CHECK(sizeof(UnzParams) == 148, "parameter record is 148 bytes");
UNZ_LAYOUT_CHECK(sizeof(UnzFileSpec) == 72, "file spec element is 72 bytes");
UNZ_LAYOUT_CHECK(sizeof(UnzCallbackInfo) == 540, "callback record is 540 bytes");
UNZ_LAYOUT_CHECK(
    offsetof(UnzParams, identity) == 4 && offsetof(UnzParams, version) == 8 &&
        offsetof(UnzParams, callback) == 12 && offsetof(UnzParams, password) == 24 &&
        offsetof(UnzParams, keepExisting) == 28 && offsetof(UnzParams, folderNames) == 40 &&
        offsetof(UnzParams, update) == 48 && offsetof(UnzParams, freshen) == 52 &&
        offsetof(UnzParams, overwriteExisting) == 56 && offsetof(UnzParams, extractAll) == 60 &&
        offsetof(UnzParams, fileSpecCount) == 64 && offsetof(UnzParams, archiveName) == 68 &&
        offsetof(UnzParams, fileSpecs) == 72 && offsetof(UnzParams, check3) == 104 &&
        offsetof(UnzParams, extractFolder) == 108 && offsetof(UnzParams, check7) == 144,
    "parameter record offsets");
UNZ_LAYOUT_CHECK(offsetof(UnzCallbackInfo, identity) == 4 &&
                     offsetof(UnzCallbackInfo, action) == 16 &&
                     offsetof(UnzCallbackInfo, flag) == 20 &&
                     offsetof(UnzCallbackInfo, number) == 24 &&
                     offsetof(UnzCallbackInfo, text) == 28,
                 "callback record offsets");

#endif
