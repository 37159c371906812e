#include "platform/embedded_module.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/support.h"

namespace platform {

using namespace detail;

namespace {

constexpr std::array kEveryStore{ModuleStore::MemoryFile, ModuleStore::RuntimeFolder,
                                 ModuleStore::TemporaryFolder};

std::string FolderOf(ModuleStore store) {
    const bool runtime = store == ModuleStore::RuntimeFolder;
    const char* named = std::getenv(runtime ? "XDG_RUNTIME_DIR" : "TMPDIR");
    if (named != nullptr && named[0] == '/') {
        return named;
    }
    return runtime ? "/run/user/" + std::to_string(::getuid()) : "/tmp";
}

// Nobody else can swap the bytes of either store between writing and loading them: the memory
// file has no name, and the temporary file has none left once made.
int OpenStore(ModuleStore store) {
    if (store == ModuleStore::MemoryFile) {
        return ::memfd_create("velmora-module", MFD_CLOEXEC);
    }
    return ::open(FolderOf(store).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0700);
}

std::string StoreName(ModuleStore store) {
    return store == ModuleStore::MemoryFile ? std::string("in memory") : "in " + FolderOf(store);
}

void* LoadFrom(ModuleStore store, std::span<const unsigned char> image, const char* entry,
               std::string& failure) {
    FileDescriptor fd(OpenStore(store));
    if (!fd.Valid()) {
        failure = std::strerror(errno);
        return nullptr;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (const int code = WriteAll(fd.Get(), bytes); code != 0) {
        failure = std::strerror(code);
        return nullptr;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd.Get());
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        failure = ::dlerror();
        return nullptr;
    }
    void* address = ::dlsym(module, entry);
    if (address == nullptr) {
        failure = ::dlerror();
    }
    return address;
}

// Whoever can change a library the program loads can run code as the user.
void RequireOnlyOwnerCanWriteTree(const std::string& folder) {
    RequireOnlyOwnerCanWrite(folder);
    std::error_code failure;
    for (std::filesystem::recursive_directory_iterator entry(folder, failure), end;
         !failure && entry != end; entry.increment(failure)) {
        RequireOnlyOwnerCanWrite(entry->path().string());
    }
    if (failure) {
        RaiseForSystemError(failure.value(), folder);
    }
}

}  // namespace

void* LoadEmbeddedModule(std::span<const unsigned char> image, const char* entry,
                         std::string& failure, std::span<const ModuleStore> stores) {
    if (stores.empty()) {
        stores = kEveryStore;
    }
    failure.clear();
    for (const ModuleStore store : stores) {
        std::string why;
        if (void* address = LoadFrom(store, image, entry, why)) {
            return address;
        }
        failure += (failure.empty() ? "" : "; ") + StoreName(store) + ": " + why;
    }
    return nullptr;
}

bool LoadLibrariesFrom(const std::string& folder, std::span<const char* const> names,
                       std::string& failure) {
    try {
        RequireOnlyOwnerCanWriteTree(folder);
    } catch (const RuntimeError& error) {
        failure = UnhandledErrorText(error);
        return false;
    }
    // Kept loaded for the life of the process, like the module that needs them.
    for (const char* name : names) {
        const std::string path = folder + "/" + name;
        if (::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr) {
            failure = ::dlerror();
            return false;
        }
    }
    return true;
}

std::string FolderOfLoadedLibrary(const char* name) {
    void* library = ::dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) {
        return {};
    }
    char origin[PATH_MAX] = {};
    const bool found = ::dlinfo(library, RTLD_DI_ORIGIN, origin) == 0;
    ::dlclose(library);
    return found ? std::string(origin) : std::string();
}

void GiveWayToStartedPrograms() {
    // Linux keeps a nice value for each thread; failing leaves only the start a little slower.
    ::setpriority(PRIO_PROCESS, 0, 10);
}

}  // namespace platform
