#include "setup/core/all_or_nothing_copy.h"

#include <utility>

#include "platform/runtime_error.h"

namespace setup {

AllOrNothingCopy::AllOrNothingCopy(platform::FileSystem& files, std::string folder,
                                   std::vector<FileToCopy> list, CommitStarts commitStarts)
    : files_(files),
      folder_(std::move(folder)),
      list_(std::move(list)),
      commitStarts_(std::move(commitStarts)) {}

void AllOrNothingCopy::Run() {
    // What an interrupted run left behind would otherwise stay for good. The install holds the
    // folder's lock and has put back any interrupted install first, so none of these is in use.
    files_.RemovePartialFiles(folder_);
    progress_.assign(list_.size(), Progress{});
    try {
        CopyEach();
        ReserveAsides();
        commitStarts_(Commit());
        PlaceEach();
        files_.SyncFolder(folder_);
    } catch (const platform::RuntimeError&) {
        if (current_ < list_.size()) {
            failed_ = current_;
        }
        PutBack();
        throw;
    }
    ForgetReplaced();
}

const FileToCopy* AllOrNothingCopy::FailedFile() const {
    return failed_ ? &list_[*failed_] : nullptr;
}

void AllOrNothingCopy::CopyEach() {
    for (current_ = 0; current_ < list_.size(); ++current_) {
        const FileToCopy& file = list_[current_];
        progress_[current_].temporary = files_.CopyToTemporary(file.source, file.destination);
    }
}

void AllOrNothingCopy::ReserveAsides() {
    for (current_ = 0; current_ < list_.size(); ++current_) {
        if (!progress_[current_].temporary.empty()) {
            progress_[current_].aside = files_.ReserveAside(list_[current_].destination);
        }
    }
}

// A destination that is the source itself takes no part.
std::vector<CommitEntry> AllOrNothingCopy::Commit() const {
    std::vector<CommitEntry> commit;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (!progress_[i].temporary.empty()) {
            commit.push_back({list_[i].destination, progress_[i].temporary, progress_[i].aside});
        }
    }
    return commit;
}

void AllOrNothingCopy::PlaceEach() {
    for (current_ = 0; current_ < list_.size(); ++current_) {
        Progress& progress = progress_[current_];
        if (progress.temporary.empty()) {
            continue;
        }
        const std::string& destination = list_[current_].destination;
        if (!progress.aside.empty()) {
            files_.PutInPlace(destination, progress.aside);
            progress.setAside = true;
        }
        files_.PutInPlace(progress.temporary, destination);
        progress.temporary.clear();
        progress.placed = true;
    }
}

// Last placed first, so that every destination gets back the file it held before.
void AllOrNothingCopy::PutBack() noexcept {
    for (std::size_t i = list_.size(); i-- > 0;) {
        Progress& progress = progress_[i];
        const std::string& destination = list_[i].destination;
        try {
            if (progress.setAside) {
                files_.PutInPlace(progress.aside, destination);
            } else if (progress.placed) {
                files_.RemoveFile(destination);
            } else if (!progress.aside.empty()) {
                files_.RemoveFile(progress.aside);
            }
        } catch (const platform::RuntimeError&) {
            // Nothing better is left to do: the original error is the one to report.
        }
        if (!progress.temporary.empty()) {
            files_.RemoveFile(progress.temporary);
        }
    }
}

void AllOrNothingCopy::ForgetReplaced() noexcept {
    for (const Progress& progress : progress_) {
        if (!progress.aside.empty()) {
            files_.RemoveFile(progress.aside);
        }
    }
}

}  // namespace setup
