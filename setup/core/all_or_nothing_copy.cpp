#include "setup/core/all_or_nothing_copy.h"

#include <utility>

#include "platform/runtime_error.h"

namespace setup {

AllOrNothingCopy::AllOrNothingCopy(platform::FileSystem& files, std::string folder,
                                   std::vector<FileToCopy> list)
    : files_(files), folder_(std::move(folder)), list_(std::move(list)) {}

void AllOrNothingCopy::Run() {
    // What an interrupted run left behind would otherwise stay for good.
    files_.RemovePartialFiles(folder_);
    progress_.assign(list_.size(), Progress{});
    try {
        CopyEach();
        PlaceEach();
        files_.SyncFolder(folder_);
    } catch (const platform::RuntimeError&) {
        failed_ = current_;
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

void AllOrNothingCopy::PlaceEach() {
    for (current_ = 0; current_ < list_.size(); ++current_) {
        Progress& progress = progress_[current_];
        if (progress.temporary.empty()) {
            continue;  // the destination is the source itself
        }
        const std::string& destination = list_[current_].destination;
        progress.aside = files_.MoveAside(destination);
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
            if (!progress.aside.empty()) {
                files_.PutInPlace(progress.aside, destination);
            } else if (progress.placed) {
                files_.RemoveFile(destination);
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
