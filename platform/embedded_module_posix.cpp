#include "platform/embedded_module.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/platform.h"

namespace platform {

namespace {

bool WriteAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
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
        throw RuntimeError(error::kPathFileAccessError, folder + ": " + failure.message());
    }
}

}  // namespace

// The bytes go to an anonymous in-memory file: nothing is written to disk, and nobody else can
// swap the module between writing and loading it.
void* LoadEmbeddedModule(std::span<const unsigned char> image, const char* entry,
                         std::string& failure) {
    const int fd = ::memfd_create("velmora-module", MFD_CLOEXEC);
    if (fd < 0) {
        failure = std::strerror(errno);
        return nullptr;
    }
    if (!WriteAll(fd, image)) {
        failure = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ::close(fd);
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

bool LoadLibrariesFrom(const std::string& folder, std::span<const char* const> names,
                       std::string& failure) {
    try {
        RequireOnlyOwnerCanWriteTree(folder);
    } catch (const RuntimeError& error) {
        failure = error.Description();
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

}  // namespace platform
