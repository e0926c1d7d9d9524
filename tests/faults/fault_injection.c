/* A library preloaded into the program (LD_PRELOAD) that fails one chosen input/output call on
 * the output folder: the Nth call of one function on a path under ORVANDEL_FAULT_DIR, or on a
 * descriptor opened there. Linux and glibc only.
 *
 *   ORVANDEL_FAULT_DIR=/tmp/x/out        the output folder, without a trailing "/"
 *   ORVANDEL_FAULT_CALL=close:2:EIO      fail the 2nd close() there with EIO (or ENOSPC, EACCES);
 *                                        "write:1:short" writes half of what it is asked instead;
 *                                        "unlink:1:EIO:always" fails the 1st and every later one
 *   ORVANDEL_FAULT_NO_TMPFILE=1          the folder's file system has no unnamed files (O_TMPFILE)
 *   ORVANDEL_FAULT_COUNT=/tmp/x/counts   at exit, "function count" lines: the calls made there,
 *                                        and "hit file" or "hit folder": what the failed call was on
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum
{
    kOpen,
    kWrite,
    kClose,
    kFstat,
    kStat,
    kFstatat,
    kStatx,
    kSync,
    kRename,
    kLink,
    kUnlink,
    kDup,
    kFunctionCount
};

static const char* const kNames[kFunctionCount] = {"open",  "write", "close",  "fstat", "stat",   "fstatat",
                                                   "statx", "sync",  "rename", "link",  "unlink", "dup"};

static atomic_int g_calls[kFunctionCount];
#define MAX_FD 4096
static atomic_bool g_ours[MAX_FD]; /* descriptors opened in the folder, the folder's own among them */
static atomic_bool g_folders[MAX_FD]; /* those that are folders */
static const char* g_hit = NULL; /* what the failed call was on: "file" or "folder" */

static struct
{
    bool read;
    char dir[4096];
    size_t dirLength;
    int function;
    int call;
    int error;
    bool shortWrite;
    bool always;
    bool noTmpfile;
    char countFile[4096];
} g_settings;

static void ReadSettings(void)
{
    if (g_settings.read)
        return;
    g_settings.read = true;
    g_settings.function = -1;
    const char* dir = getenv("ORVANDEL_FAULT_DIR");
    if (dir) {
        snprintf(g_settings.dir, sizeof g_settings.dir, "%s", dir);
        g_settings.dirLength = strlen(g_settings.dir);
    }
    const char* count = getenv("ORVANDEL_FAULT_COUNT");
    if (count)
        snprintf(g_settings.countFile, sizeof g_settings.countFile, "%s", count);
    const char* call = getenv("ORVANDEL_FAULT_CALL");
    char name[32] = {0};
    char how[32] = {0};
    if (call && sscanf(call, "%31[^:]:%d:%31s", name, &g_settings.call, how) == 3) {
        for (int f = 0; f < kFunctionCount; ++f) {
            if (strcmp(name, kNames[f]) == 0)
                g_settings.function = f;
        }
        g_settings.shortWrite = strcmp(how, "short") == 0;
        g_settings.always = strstr(how, ":always") != NULL;
        g_settings.error = strncmp(how, "ENOSPC", 6) == 0 ? ENOSPC
            : strncmp(how, "EACCES", 6) == 0              ? EACCES
                                                          : EIO;
    }
    const char* noTmpfile = getenv("ORVANDEL_FAULT_NO_TMPFILE");
    g_settings.noTmpfile = noTmpfile && *noTmpfile;
}

static bool OurPath(const char* path)
{
    ReadSettings();
    const size_t n = g_settings.dirLength;
    return path && n > 0 && strncmp(path, g_settings.dir, n) == 0 && (path[n] == '\0' || path[n] == '/');
}

static bool OurFd(int fd)
{
    return fd >= 0 && fd < MAX_FD && atomic_load(&g_ours[fd]);
}

static bool OurAt(int dirfd, const char* path)
{
    if (path && path[0] == '/')
        return OurPath(path);
    return OurFd(dirfd);
}

static void Track(int fd, bool ours)
{
    if (fd >= 0 && fd < MAX_FD)
        atomic_store(&g_ours[fd], ours);
}

static void TrackFolder(int fd, int flags)
{
    if (fd >= 0 && fd < MAX_FD)
        atomic_store(&g_folders[fd],
                     (flags & O_TMPFILE) != O_TMPFILE
                         && (flags & (O_DIRECTORY | O_PATH)) != 0); /* O_TMPFILE holds O_DIRECTORY */
}

static bool IsFolder(int fd)
{
    return fd >= 0 && fd < MAX_FD && atomic_load(&g_folders[fd]);
}

/* True when this call is the one to fail; counts it. */
static bool Fails(int function)
{
    ReadSettings();
    const int call = atomic_fetch_add(&g_calls[function], 1) + 1;
    return g_settings.function == function
        && (g_settings.call == call || (g_settings.always && call > g_settings.call));
}

static int Failed(void)
{
    errno = g_settings.error;
    return -1;
}

/* The failed call was on `fd` (a path's calls name it by their own kind). */
static int FailedOn(int fd)
{
    g_hit = IsFolder(fd) ? "folder" : "file";
    return Failed();
}

#define NEXT(name, type) ((type)dlsym(RTLD_NEXT, name))

__attribute__((destructor)) static void WriteCounts(void)
{
    ReadSettings();
    if (!g_settings.countFile[0])
        return;
    FILE* out = fopen(g_settings.countFile, "w");
    if (!out)
        return;
    for (int f = 0; f < kFunctionCount; ++f)
        fprintf(out, "%s %d\n", kNames[f], atomic_load(&g_calls[f]));
    if (g_hit)
        fprintf(out, "hit %s\n", g_hit);
    fclose(out);
}

/* A file system without unnamed files refuses them, as some do, with EOPNOTSUPP. */
static bool NoTmpfile(int flags)
{
    ReadSettings();
    if (!g_settings.noTmpfile || (flags & O_TMPFILE) != O_TMPFILE)
        return false;
    errno = EOPNOTSUPP;
    return true;
}

static mode_t ModeOf(int flags, va_list args)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
}

/* The mode an open was given, read from its arguments after `flags`. */
#define TAKE_MODE(flags, mode)                                                                               \
    va_list args;                                                                                            \
    va_start(args, flags);                                                                                   \
    const mode_t mode = ModeOf(flags, args);                                                                 \
    va_end(args)

/* Before an open of ours: whether it fails (errno set). The at-forms, which the program asks for
   an unnamed temporary file through, may be refused one. */
static bool OpenRefused(bool ours, bool at, int flags)
{
    if (!ours)
        return false;
    if (at && NoTmpfile(flags))
        return true;
    if (Fails(kOpen)) {
        Failed();
        return true;
    }
    return false;
}

/* After an open: the descriptor is tracked as ours or not, and as a folder or not. */
static int Opened(int fd, bool ours, int flags)
{
    Track(fd, ours);
    TrackFolder(fd, flags);
    return fd;
}

int open(const char* path, int flags, ...)
{
    TAKE_MODE(flags, mode);
    const bool ours = OurPath(path);
    if (OpenRefused(ours, false, flags))
        return -1;
    return Opened(NEXT("open", int (*)(const char*, int, ...))(path, flags, mode), ours, flags);
}

int open64(const char* path, int flags, ...)
{
    TAKE_MODE(flags, mode);
    const bool ours = OurPath(path);
    if (OpenRefused(ours, false, flags))
        return -1;
    return Opened(NEXT("open64", int (*)(const char*, int, ...))(path, flags, mode), ours, flags);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    TAKE_MODE(flags, mode);
    const bool ours = OurAt(dirfd, path);
    if (OpenRefused(ours, true, flags))
        return -1;
    return Opened(NEXT("openat", int (*)(int, const char*, int, ...))(dirfd, path, flags, mode), ours, flags);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    TAKE_MODE(flags, mode);
    const bool ours = OurAt(dirfd, path);
    if (OpenRefused(ours, true, flags))
        return -1;
    return Opened(NEXT("openat64", int (*)(int, const char*, int, ...))(dirfd, path, flags, mode), ours,
                  flags);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (OurFd(fd) && Fails(kWrite)) {
        if (!g_settings.shortWrite)
            return FailedOn(fd);
        size = size > 1 ? size / 2 : size;
    }
    return NEXT("write", ssize_t(*)(int, const void*, size_t))(fd, data, size);
}

int close(int fd)
{
    if (OurFd(fd)) {
        Track(fd, false);
        if (Fails(kClose)) {
            /* A close that reports a held-back write error still closes the descriptor. */
            const int result = FailedOn(fd);
            NEXT("close", int (*)(int))(fd);
            errno = g_settings.error;
            return result;
        }
    }
    return NEXT("close", int (*)(int))(fd);
}

int dup(int fd)
{
    const bool ours = OurFd(fd);
    if (ours && Fails(kDup))
        return FailedOn(fd);
    const int copy = NEXT("dup", int (*)(int))(fd);
    Track(copy, ours);
    if (copy >= 0 && copy < MAX_FD)
        atomic_store(&g_folders[copy], IsFolder(fd));
    return copy;
}

int fstat(int fd, struct stat* status)
{
    if (OurFd(fd) && Fails(kFstat))
        return FailedOn(fd);
    return NEXT("fstat", int (*)(int, struct stat*))(fd, status);
}

int fstat64(int fd, struct stat64* status)
{
    if (OurFd(fd) && Fails(kFstat))
        return FailedOn(fd);
    return NEXT("fstat64", int (*)(int, struct stat64*))(fd, status);
}

int stat(const char* path, struct stat* status)
{
    if (OurPath(path) && Fails(kStat))
        return Failed();
    return NEXT("stat", int (*)(const char*, struct stat*))(path, status);
}

int stat64(const char* path, struct stat64* status)
{
    if (OurPath(path) && Fails(kStat))
        return Failed();
    return NEXT("stat64", int (*)(const char*, struct stat64*))(path, status);
}

int lstat(const char* path, struct stat* status)
{
    if (OurPath(path) && Fails(kStat))
        return Failed();
    return NEXT("lstat", int (*)(const char*, struct stat*))(path, status);
}

int lstat64(const char* path, struct stat64* status)
{
    if (OurPath(path) && Fails(kStat))
        return Failed();
    return NEXT("lstat64", int (*)(const char*, struct stat64*))(path, status);
}

int fstatat(int dirfd, const char* path, struct stat* status, int flags)
{
    if (OurAt(dirfd, path) && Fails(kFstatat))
        return Failed();
    return NEXT("fstatat", int (*)(int, const char*, struct stat*, int))(dirfd, path, status, flags);
}

int fstatat64(int dirfd, const char* path, struct stat64* status, int flags)
{
    if (OurAt(dirfd, path) && Fails(kFstatat))
        return Failed();
    return NEXT("fstatat64", int (*)(int, const char*, struct stat64*, int))(dirfd, path, status, flags);
}

int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* status)
{
    if (OurAt(dirfd, path) && Fails(kStatx))
        return Failed();
    return NEXT("statx", int (*)(int, const char*, int, unsigned int, struct statx*))(dirfd, path, flags,
                                                                                      mask, status);
}

int syncfs(int fd)
{
    if (OurFd(fd) && Fails(kSync))
        return FailedOn(fd);
    return NEXT("syncfs", int (*)(int))(fd);
}

int fsync(int fd)
{
    if (OurFd(fd) && Fails(kSync))
        return FailedOn(fd);
    return NEXT("fsync", int (*)(int))(fd);
}

int fdatasync(int fd)
{
    if (OurFd(fd) && Fails(kSync))
        return FailedOn(fd);
    return NEXT("fdatasync", int (*)(int))(fd);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    if ((OurAt(fromDir, from) || OurAt(toDir, to)) && Fails(kRename))
        return Failed();
    return NEXT("renameat", int (*)(int, const char*, int, const char*))(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    if ((OurAt(fromDir, from) || OurAt(toDir, to)) && Fails(kRename))
        return Failed();
    return NEXT("renameat2", int (*)(int, const char*, int, const char*, unsigned int))(fromDir, from, toDir,
                                                                                        to, flags);
}

int rename(const char* from, const char* to)
{
    if ((OurPath(from) || OurPath(to)) && Fails(kRename))
        return Failed();
    return NEXT("rename", int (*)(const char*, const char*))(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    if (OurAt(toDir, to) && Fails(kLink))
        return Failed();
    return NEXT("linkat", int (*)(int, const char*, int, const char*, int))(fromDir, from, toDir, to, flags);
}

int unlinkat(int dirfd, const char* path, int flags)
{
    if (OurAt(dirfd, path) && Fails(kUnlink))
        return Failed();
    return NEXT("unlinkat", int (*)(int, const char*, int))(dirfd, path, flags);
}

int unlink(const char* path)
{
    if (OurPath(path) && Fails(kUnlink))
        return Failed();
    return NEXT("unlink", int (*)(const char*))(path);
}
