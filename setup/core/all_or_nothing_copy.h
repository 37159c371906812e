#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "setup/core/install_journal.h"

namespace setup {

struct FileToCopy {
    std::string source;
    std::string destination;
};

// Copies files into one folder so that it ends up holding all of them new, or exactly what it
// held before: each file goes to a temporary file beside its destination first, and only when
// all are complete are they put in place, in order, each replaced file kept aside until the last
// one is in. Before the first file is set aside, the commit is handed to whoever must be able to
// finish it or take it back after a crash.
class AllOrNothingCopy {
public:
    using CommitStarts = std::function<void(std::vector<CommitEntry> commit)>;

    AllOrNothingCopy(platform::FileSystem& files, std::string folder, std::vector<FileToCopy> list,
                     CommitStarts commitStarts);

    // Raises the error of the step that failed, after putting the folder back as it was.
    void Run();
    // The file whose copy or placing failed, once Run has raised.
    const FileToCopy* FailedFile() const;

private:
    struct Progress {
        std::string temporary;  // the complete copy, until it is in place
        std::string aside;      // reserved for the file it replaces, until the last one is in
        bool setAside = false;
        bool placed = false;
    };

    void CopyEach();
    void ReserveAsides();
    std::vector<CommitEntry> Commit() const;
    void PlaceEach();
    void PutBack() noexcept;
    void ForgetReplaced() noexcept;

    platform::FileSystem& files_;
    std::string folder_;
    std::vector<FileToCopy> list_;
    CommitStarts commitStarts_;
    std::vector<Progress> progress_;
    std::size_t current_ = 0;
    std::optional<std::size_t> failed_;
};

}  // namespace setup
