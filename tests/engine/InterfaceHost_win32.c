/*
 * A 32-bit Windows caller of UnzDll.dll that knows the engine's interface
 * only as byte offsets: no header of the engine is included. The records are
 * filled and read as the interface defines them for 32-bit Windows:
 *
 *   parameter record, 148 bytes, little-endian, zero unless set:
 *     4 identity   8 version (160)   12 callback   40 true (folder names)
 *     56 true, 60 true (replace existing files, extract all)
 *     64 file spec count   68 archive name   72 file spec array
 *     104 3   108 extraction folder (ending in "\")   144 7
 *   file spec element, 72 bytes: a text pointer, then 68 zero bytes
 *   callback record, 540 bytes: 4 identity, 16 action, 20 flag, 24 number,
 *     28 text (512 bytes, zero-terminated)
 *
 * Both entry points and the callback use the standard calling convention
 * and the entry points are looked up under their plain names. "True" is -1.
 *
 *   interface_host ARCHIVE FOLDER PASSWORD
 *
 * Three runs, each a batch of its own:
 *   1. every entry into FOLDER\all\; the encrypted entries' password is
 *      typed into the callback record when the engine asks for it;
 *   2. the same again: every file exists, and every overwrite question is
 *      answered "overwrite" in the record;
 *   3. with the one file spec "sub\*" into FOLDER\some\.
 * The script beside this program compares the folders with what was packed.
 * Every check that fails prints a line; the exit code is the number of them.
 */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

enum { PARAMS_SIZE = 148, SPEC_SIZE = 72, RECORD_SIZE = 540, TEXT_SIZE = 512, GUARD = 64 };

typedef uint32_t(__stdcall* VersionFunction)(void);
typedef int32_t(__stdcall* ExecFunction)(unsigned char* params);

static int g_failures = 0;

#define CHECK(condition, ...)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            ++g_failures;                                                                       \
            printf("FAILED (%s:%d) %s: ", __FILE__, __LINE__, #condition);                    \
            printf(__VA_ARGS__);                                                                \
            printf("\n");                                                                       \
        }                                                                                       \
    } while (0)

static int32_t Get32(const unsigned char* at) {
    return (int32_t)((uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 |
                     (uint32_t)at[3] << 24);
}

static void Put32(unsigned char* at, int32_t value) {
    const uint32_t v = (uint32_t)value;
    at[0] = (unsigned char)v;
    at[1] = (unsigned char)(v >> 8);
    at[2] = (unsigned char)(v >> 16);
    at[3] = (unsigned char)(v >> 24);
}

static void PutPointer(unsigned char* at, const void* pointer) {
    Put32(at, (int32_t)(uintptr_t)pointer);
}

/* What one batch reported through the callback. */
struct Run {
    const char* password;
    int32_t calls;
    int32_t firstAction;
    int32_t lastAction;
    int32_t announcedEntries; /* action 5 */
    int32_t announcedBytes;   /* action 6 */
    int32_t begun;            /* action 1 */
    int32_t files;            /* begun entries whose name does not end in "\" */
    int64_t progressBytes;    /* action 2, summed */
    int32_t ends;             /* action 3 */
    int32_t passwordRequests; /* action 8 */
    int32_t overwriteQuestions;
    int32_t damaged;
    int32_t skipped;
    int32_t messages;
};

static int32_t __stdcall Callback(unsigned char* record) {
    /* The identity is the address of this run's record of findings. */
    struct Run* run = (struct Run*)(uintptr_t)Get32(record + 4);
    const int32_t action = Get32(record + 16);
    const char* text = (const char*)(record + 28);
    const size_t length = strnlen(text, TEXT_SIZE);
    CHECK(length < TEXT_SIZE, "the text of action %ld has no end within 512 bytes", (long)action);

    if (run->calls++ == 0) {
        run->firstAction = action;
    }
    run->lastAction = action;
    switch (action) {
    case 1:
        ++run->begun;
        if (length > 0 && text[length - 1] != '\\') {
            ++run->files;
        }
        break;
    case 2:
        CHECK(Get32(record + 24) >= 0, "negative progress %ld", (long)Get32(record + 24));
        run->progressBytes += Get32(record + 24);
        break;
    case 3:
        ++run->ends;
        break;
    case 4:
        ++run->messages;
        printf("engine message: %.*s\n", (int)length, text);
        break;
    case 5:
        run->announcedEntries = Get32(record + 24);
        break;
    case 6:
        run->announcedBytes = Get32(record + 24);
        break;
    case 8: {
        /* The first request of an entry carries 3; the answer goes into the
         * text, flag 1 says it is there, and the number is lowered by one. */
        CHECK(Get32(record + 24) == 3, "password request %ld instead of 3",
              (long)Get32(record + 24));
        ++run->passwordRequests;
        const size_t size = strlen(run->password);
        memcpy(record + 28, run->password, size + 1);
        Put32(record + 20, 1);
        if (Get32(record + 24) > 0) {
            Put32(record + 24, Get32(record + 24) - 1);
        }
        break;
    }
    case 9:
        ++run->damaged;
        Put32(record + 20, 0);
        break;
    case 10:
        ++run->overwriteQuestions;
        Put32(record + 24, 1);
        break;
    case 11:
        ++run->skipped;
        break;
    default:
        break;
    }
    return 0;
}

static void MakeFolder(const char* path) {
    if (!CreateDirectoryA(path, NULL)) {
        CHECK(GetLastError() == ERROR_ALREADY_EXISTS, "cannot make %s (error %lu)", path,
              GetLastError());
    }
}

/* One batch: fills the record by offset, with guard bytes after it (and
 * after the file spec array), and checks that the engine changed none of
 * them, nor the record itself. */
static void Extract(ExecFunction exec, const char* archive, const char* folder,
                    const char* spec, struct Run* run) {
    unsigned char params[PARAMS_SIZE + GUARD];
    unsigned char specs[SPEC_SIZE + GUARD];
    memset(params, 0, PARAMS_SIZE);
    memset(params + PARAMS_SIZE, 0xA5, GUARD);
    memset(specs, 0, SPEC_SIZE);
    memset(specs + SPEC_SIZE, 0x5A, GUARD);

    PutPointer(params + 4, run);
    Put32(params + 8, 160);
    PutPointer(params + 12, (const void*)Callback);
    Put32(params + 40, -1);
    Put32(params + 56, -1);
    Put32(params + 60, -1);
    if (spec != NULL) {
        PutPointer(specs, spec);
        Put32(params + 64, 1);
        PutPointer(params + 72, specs);
    }
    PutPointer(params + 68, archive);
    Put32(params + 104, 3);
    PutPointer(params + 108, folder);
    Put32(params + 144, 7);

    unsigned char paramsBefore[sizeof params];
    unsigned char specsBefore[sizeof specs];
    memcpy(paramsBefore, params, sizeof params);
    memcpy(specsBefore, specs, sizeof specs);

    const int32_t result = exec(params);

    CHECK(result == 0, "UnzDllExec returned %ld for %s", (long)result, folder);
    for (size_t i = 0; i < sizeof params; ++i) {
        CHECK(params[i] == paramsBefore[i], "parameter byte %u changed from %u to %u",
              (unsigned)i, paramsBefore[i], params[i]);
    }
    for (size_t i = 0; i < sizeof specs; ++i) {
        CHECK(specs[i] == specsBefore[i], "file spec byte %u changed from %u to %u", (unsigned)i,
              specsBefore[i], specs[i]);
    }
    CHECK(run->firstAction == 5, "the batch began with action %ld", (long)run->firstAction);
    CHECK(run->lastAction == 3 && run->ends == 1, "the batch ended with action %ld, %ld ends",
          (long)run->lastAction, (long)run->ends);
    CHECK(run->begun == run->announcedEntries, "%ld entries begun, %ld announced",
          (long)run->begun, (long)run->announcedEntries);
    CHECK(run->progressBytes == run->announcedBytes, "%lld bytes reported, %ld announced",
          (long long)run->progressBytes, (long)run->announcedBytes);
    CHECK(run->damaged == 0 && run->messages == 0, "%ld damaged entries, %ld messages",
          (long)run->damaged, (long)run->messages);
    printf("%s: %ld entries (%ld files), %ld bytes, %ld password requests, %ld overwrite "
           "questions, %ld skipped\n",
           folder, (long)run->begun, (long)run->files, (long)run->announcedBytes,
           (long)run->passwordRequests, (long)run->overwriteQuestions, (long)run->skipped);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s ARCHIVE FOLDER PASSWORD\n", argv[0]);
        return 100;
    }
    CHECK(sizeof(void*) == 4, "this caller is meant for 32-bit Windows");
    const char* archive = argv[1];
    const char* password = argv[3];

    HMODULE engine = LoadLibraryA("UnzDll.dll");
    if (engine == NULL) {
        printf("FAILED: UnzDll.dll cannot be loaded (error %lu)\n", GetLastError());
        return 101;
    }
    VersionFunction version = (VersionFunction)(void (*)(void))GetProcAddress(engine, "GetUnzDllVersion");
    ExecFunction exec = (ExecFunction)(void (*)(void))GetProcAddress(engine, "UnzDllExec");
    if (version == NULL || exec == NULL) {
        printf("FAILED: the entry points are not exported under their plain names\n");
        return 102;
    }
    CHECK(version() >= 160, "engine version %lu", (unsigned long)version());

    char all[MAX_PATH];
    char some[MAX_PATH];
    snprintf(all, sizeof all, "%s\\all", argv[2]);
    snprintf(some, sizeof some, "%s\\some", argv[2]);
    MakeFolder(all);
    MakeFolder(some);
    strcat(all, "\\");
    strcat(some, "\\");

    struct Run first;
    memset(&first, 0, sizeof first);
    first.password = password;
    Extract(exec, archive, all, NULL, &first);
    CHECK(first.passwordRequests >= 1, "no password was asked for");
    CHECK(first.overwriteQuestions == 0, "%ld overwrite questions into an empty folder",
          (long)first.overwriteQuestions);
    CHECK(first.skipped == 0, "%ld entries skipped", (long)first.skipped);

    struct Run second;
    memset(&second, 0, sizeof second);
    second.password = password;
    Extract(exec, archive, all, NULL, &second);
    CHECK(second.overwriteQuestions == second.files, "%ld overwrite questions for %ld files",
          (long)second.overwriteQuestions, (long)second.files);
    CHECK(second.skipped == 0, "%ld entries skipped", (long)second.skipped);

    struct Run third;
    memset(&third, 0, sizeof third);
    third.password = password;
    Extract(exec, archive, some, "sub\\*", &third);
    CHECK(third.begun > 0 && third.begun < first.begun, "%ld of %ld entries selected by sub\\*",
          (long)third.begun, (long)first.begun);

    FreeLibrary(engine);
    printf("%d failed checks\n", g_failures);
    return g_failures;
}
