#include "tests/power_cut/power_cut_vfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace vorna {
namespace testing_support {

namespace {

// What a file's content was at its last sync: the size then, and the old
// bytes of every region written or cut off since, in order.
struct Undo {
    sqlite3_int64 offset;
    std::vector<char> bytes;
};
struct FileHistory {
    sqlite3_int64 syncedSize = 0;
    std::vector<Undo> undo;
};

struct State {
    std::mutex mutex;
    sqlite3_vfs vfs{};
    sqlite3_vfs* real = nullptr;
    PowerCutSettings settings;
    long events = 0, writes = 0, syncs = 0;
    // By full path: a file closed unsynced still loses its writes.
    std::map<std::string, FileHistory> files;
};

State& state() {
    static State* s = new State;  // never destroyed: files may close at exit
    return *s;
}

struct CutFile {
    sqlite3_file base;
    sqlite3_file* real;  // right behind this structure
    std::string* path;   // null: a file nobody needs after a cut (temporary)
};

sqlite3_file* realOf(sqlite3_file* f) { return reinterpret_cast<CutFile*>(f)->real; }

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void noteEvent(const std::string& line) {
    const std::string& file = state().settings.eventsFile;
    if (file.empty()) return;
    if (std::FILE* out = std::fopen(file.c_str(), "a")) {
        std::fprintf(out, "%s\n", line.c_str());
        std::fclose(out);
    }
}

// Every file back to its last sync, then the process ends as the power does.
[[noreturn]] void cutThePower() {
    for (auto& [path, history] : state().files) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) continue;
        for (auto u = history.undo.rbegin(); u != history.undo.rend(); ++u)
            if (::pwrite(fd, u->bytes.data(), u->bytes.size(), u->offset) < 0) break;
        if (::ftruncate(fd, history.syncedSize) != 0) {
        }
        ::close(fd);
    }
    noteEvent("cut");
    ::_exit(kPowerCutExitStatus);
}

// Counts the event and cuts the power before it when its turn has come.
void beforeEvent(const std::string& line) {
    State& s = state();
    ++s.events;
    if (s.settings.cutAt > 0 && s.events == s.settings.cutAt) cutThePower();
    noteEvent(line);
}

// The old bytes of [offset, offset + size) that exist now.
void keepOldBytes(CutFile* f, FileHistory& history, sqlite3_int64 offset, sqlite3_int64 size) {
    sqlite3_int64 current = 0;
    if (f->real->pMethods->xFileSize(f->real, &current) != SQLITE_OK) return;
    if (offset >= current) return;
    const sqlite3_int64 length = std::min(size, current - offset);
    Undo u{offset, std::vector<char>(static_cast<std::size_t>(length))};
    if (f->real->pMethods->xRead(f->real, u.bytes.data(), static_cast<int>(length), offset) ==
        SQLITE_OK)
        history.undo.push_back(std::move(u));
}

int cutClose(sqlite3_file* file) {
    CutFile* f = reinterpret_cast<CutFile*>(file);
    const int rc = f->real->pMethods ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
    delete f->path;
    f->path = nullptr;
    return rc;
}
int cutRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int cutWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    CutFile* f = reinterpret_cast<CutFile*>(file);
    if (f->path) {
        State& s = state();
        std::lock_guard<std::mutex> guard(s.mutex);
        beforeEvent("write " + baseName(*f->path) + " " + std::to_string(amount) + " " +
                    std::to_string(offset));
        ++s.writes;
        // The old bytes are kept only while a cut is coming (counting stays cheap).
        if (s.settings.cutAt > 0) keepOldBytes(f, s.files[*f->path], offset, amount);
    }
    return f->real->pMethods->xWrite(f->real, buffer, amount, offset);
}
int cutTruncate(sqlite3_file* file, sqlite3_int64 size) {
    CutFile* f = reinterpret_cast<CutFile*>(file);
    if (f->path) {
        State& s = state();
        std::lock_guard<std::mutex> guard(s.mutex);
        if (s.settings.cutAt > 0) keepOldBytes(f, s.files[*f->path], size, INT32_MAX);
    }
    return f->real->pMethods->xTruncate(f->real, size);
}
int cutSync(sqlite3_file* file, int flags) {
    CutFile* f = reinterpret_cast<CutFile*>(file);
    if (!f->path) return f->real->pMethods->xSync(f->real, flags);
    State& s = state();
    std::lock_guard<std::mutex> guard(s.mutex);
    beforeEvent("sync " + baseName(*f->path));
    ++s.syncs;
    const int rc = f->real->pMethods->xSync(f->real, flags);
    if (rc == SQLITE_OK) {
        FileHistory& history = s.files[*f->path];
        history.undo.clear();
        f->real->pMethods->xFileSize(f->real, &history.syncedSize);
    }
    return rc;
}
int cutFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int cutLock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xLock(realOf(f), level); }
int cutUnlock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xUnlock(realOf(f), level); }
int cutCheckReservedLock(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int cutFileControl(sqlite3_file* f, int op, void* arg) {
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int cutSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int cutDeviceCharacteristics(sqlite3_file* f) {
    // Claiming no safe append or atomic write keeps SQLite's full care.
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)) &
           ~(SQLITE_IOCAP_SAFE_APPEND | SQLITE_IOCAP_SEQUENTIAL | SQLITE_IOCAP_BATCH_ATOMIC);
}
int cutShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}
int cutShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void cutShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int cutShmUnmap(sqlite3_file* f, int deleteFlag) {
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}
int cutFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return realOf(f)->pMethods->xFetch(realOf(f), offset, amount, out);
}
int cutUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
    return realOf(f)->pMethods->xUnfetch(realOf(f), offset, p);
}

const sqlite3_io_methods kMethods = {3,
                                     cutClose,
                                     cutRead,
                                     cutWrite,
                                     cutTruncate,
                                     cutSync,
                                     cutFileSize,
                                     cutLock,
                                     cutUnlock,
                                     cutCheckReservedLock,
                                     cutFileControl,
                                     cutSectorSize,
                                     cutDeviceCharacteristics,
                                     cutShmMap,
                                     cutShmLock,
                                     cutShmBarrier,
                                     cutShmUnmap,
                                     cutFetch,
                                     cutUnfetch};

int cutOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    State& s = state();
    CutFile* f = reinterpret_cast<CutFile*>(file);
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->path = nullptr;
    const int rc = s.real->xOpen(s.real, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) return rc;
    const bool durable =
        name && (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL));
    if (durable) {
        f->path = new std::string(name);
        std::lock_guard<std::mutex> guard(s.mutex);
        // A file met for the first time is as its last sync left it: what
        // earlier processes wrote counts as on the disk.
        if (!s.files.count(name)) {
            sqlite3_int64 size = 0;
            f->real->pMethods->xFileSize(f->real, &size);
            s.files[name].syncedSize = size;
        }
    }
    (void)vfs;
    f->base.pMethods = &kMethods;
    return SQLITE_OK;
}
int cutDelete(sqlite3_vfs*, const char* name, int syncDirectory) {
    State& s = state();
    {
        std::lock_guard<std::mutex> guard(s.mutex);
        s.files.erase(name);
    }
    return s.real->xDelete(s.real, name, syncDirectory);
}
int cutAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return state().real->xAccess(state().real, name, flags, out);
}
int cutFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return state().real->xFullPathname(state().real, name, size, out);
}
void* cutDlOpen(sqlite3_vfs*, const char* name) {
    return state().real->xDlOpen(state().real, name);
}
void cutDlError(sqlite3_vfs*, int size, char* out) {
    state().real->xDlError(state().real, size, out);
}
void (*cutDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return state().real->xDlSym(state().real, handle, symbol);
}
void cutDlClose(sqlite3_vfs*, void* handle) { state().real->xDlClose(state().real, handle); }
int cutRandomness(sqlite3_vfs*, int size, char* out) {
    return state().real->xRandomness(state().real, size, out);
}
int cutSleep(sqlite3_vfs*, int microseconds) {
    return state().real->xSleep(state().real, microseconds);
}
int cutCurrentTime(sqlite3_vfs*, double* out) {
    return state().real->xCurrentTime(state().real, out);
}
int cutGetLastError(sqlite3_vfs*, int size, char* out) {
    return state().real->xGetLastError(state().real, size, out);
}
int cutCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return state().real->xCurrentTimeInt64(state().real, out);
}

}  // namespace

void installPowerCutVfs(const PowerCutSettings& settings) {
    State& s = state();
    std::lock_guard<std::mutex> guard(s.mutex);
    s.settings = settings;
    if (s.real) return;
    sqlite3_initialize();
    s.real = sqlite3_vfs_find(nullptr);
    sqlite3_vfs& v = s.vfs;
    v.iVersion = 2;
    v.szOsFile = static_cast<int>(sizeof(CutFile)) + s.real->szOsFile;
    v.mxPathname = s.real->mxPathname;
    v.zName = "vorna-power-cut";
    v.xOpen = cutOpen;
    v.xDelete = cutDelete;
    v.xAccess = cutAccess;
    v.xFullPathname = cutFullPathname;
    v.xDlOpen = cutDlOpen;
    v.xDlError = cutDlError;
    v.xDlSym = cutDlSym;
    v.xDlClose = cutDlClose;
    v.xRandomness = cutRandomness;
    v.xSleep = cutSleep;
    v.xCurrentTime = cutCurrentTime;
    v.xGetLastError = cutGetLastError;
    v.xCurrentTimeInt64 = cutCurrentTimeInt64;
    sqlite3_vfs_register(&v, 1);
}

long powerCutWrites() {
    std::lock_guard<std::mutex> guard(state().mutex);
    return state().writes;
}

long powerCutSyncs() {
    std::lock_guard<std::mutex> guard(state().mutex);
    return state().syncs;
}

}  // namespace testing_support
}  // namespace vorna
