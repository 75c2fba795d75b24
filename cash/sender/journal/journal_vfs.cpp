#include "cash/sender/journal/journal_vfs.h"

#include <sqlite3.h>

#include <set>
#include <string>

#include "common/platform/platform.h"

namespace vorna {

namespace {

struct JournalVfs {
    sqlite3_vfs vfs{};
    sqlite3_vfs* real = nullptr;
    sqlite3_io_methods methods{};
    const sqlite3_io_methods* realMethods = nullptr;
    platform::Lock lock;
    // The logs whose folder a sync in this process has made durable.
    std::set<std::string> settled;
};

JournalVfs& journalVfs();

// A log opened with creation: its first sync also syncs its folder.
struct LogFile {
    sqlite3_file base;
    sqlite3_file* real;     // right behind this structure
    std::string* settling;  // the log's name until its first sync; null otherwise
};

sqlite3_file* realOf(sqlite3_file* f) { return reinterpret_cast<LogFile*>(f)->real; }

int logClose(sqlite3_file* file) {
    LogFile* f = reinterpret_cast<LogFile*>(file);
    delete f->settling;
    f->settling = nullptr;
    return f->real->pMethods->xClose(f->real);
}
int logSync(sqlite3_file* file, int flags) {
    LogFile* f = reinterpret_cast<LogFile*>(file);
    const int rc = f->real->pMethods->xSync(f->real, flags);
    if (rc == SQLITE_OK && f->settling) {
        JournalVfs& v = journalVfs();
        platform::LockGuard guard(v.lock);
        v.settled.insert(*f->settling);
        delete f->settling;
        f->settling = nullptr;
    }
    return rc;
}
int logRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return realOf(f)->pMethods->xRead(realOf(f), b, n, o);
}
int logWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    return realOf(f)->pMethods->xWrite(realOf(f), b, n, o);
}
int logTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int logFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int logLock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xLock(realOf(f), level); }
int logUnlock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xUnlock(realOf(f), level); }
int logCheckReservedLock(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int logFileControl(sqlite3_file* f, int op, void* arg) {
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int logSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int logDeviceCharacteristics(sqlite3_file* f) {
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int logShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}
int logShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void logShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int logShmUnmap(sqlite3_file* f, int deleteFlag) {
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}
int logFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return realOf(f)->pMethods->xFetch(realOf(f), offset, amount, out);
}
int logUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
    return realOf(f)->pMethods->xUnfetch(realOf(f), offset, p);
}

const sqlite3_io_methods kLogMethods = {3,
                                        logClose,
                                        logRead,
                                        logWrite,
                                        logTruncate,
                                        logSync,
                                        logFileSize,
                                        logLock,
                                        logUnlock,
                                        logCheckReservedLock,
                                        logFileControl,
                                        logSectorSize,
                                        logDeviceCharacteristics,
                                        logShmMap,
                                        logShmLock,
                                        logShmBarrier,
                                        logShmUnmap,
                                        logFetch,
                                        logUnfetch};

int journalOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    JournalVfs& v = journalVfs();
    LogFile* f = reinterpret_cast<LogFile*>(file);
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->settling = nullptr;
    const bool log = name && (flags & SQLITE_OPEN_WAL);
    bool settled = false;
    if (log) {
        platform::LockGuard guard(v.lock);
        settled = v.settled.count(name) > 0;
    }
    int rc = SQLITE_CANTOPEN;
    if (settled) {
        // Its folder is durable: open without creating, unless it has gone meanwhile.
        rc = v.real->xOpen(v.real, name, f->real, flags & ~SQLITE_OPEN_CREATE, outFlags);
        if (rc != SQLITE_OK && f->real->pMethods) f->real->pMethods->xClose(f->real);
    }
    if (rc != SQLITE_OK) {
        f->real->pMethods = nullptr;
        rc = v.real->xOpen(v.real, name, f->real, flags, outFlags);
        if (rc != SQLITE_OK) {
            if (f->real->pMethods) f->base.pMethods = &kLogMethods;  // SQLite closes it
            return rc;
        }
        if (log) f->settling = new std::string(name);
    }
    f->base.pMethods = &kLogMethods;
    return SQLITE_OK;
}

int journalDelete(sqlite3_vfs*, const char* name, int syncDirectory) {
    JournalVfs& v = journalVfs();
    {
        platform::LockGuard guard(v.lock);
        v.settled.erase(name);
    }
    return v.real->xDelete(v.real, name, syncDirectory);
}

JournalVfs& journalVfs() {
    static JournalVfs* made = [] {
        JournalVfs* v = new JournalVfs;  // never destroyed: SQLite may hold it to the end
        sqlite3_initialize();
        v->real = sqlite3_vfs_find(nullptr);
        v->vfs = *v->real;  // every other call goes straight to the real VFS
        v->vfs.pNext = nullptr;
        v->vfs.zName = "vorna-journal";
        v->vfs.szOsFile = static_cast<int>(sizeof(LogFile)) + v->real->szOsFile;
        v->vfs.xOpen = journalOpen;
        v->vfs.xDelete = journalDelete;
        sqlite3_vfs_register(&v->vfs, 0);
        return v;
    }();
    return *made;
}

}  // namespace

const char* journalVfsName() { return journalVfs().vfs.zName; }

}  // namespace vorna
