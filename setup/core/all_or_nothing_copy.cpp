#include "setup/core/all_or_nothing_copy.h"

#include <utility>

#include "platform/platform.h"

namespace setup {

AllOrNothingCopy::AllOrNothingCopy(std::string folder, std::vector<FileToCopy> files)
    : folder_(std::move(folder)), files_(std::move(files)) {}

void AllOrNothingCopy::Run() {
    // What an interrupted run left behind would otherwise stay for good.
    platform::RemovePartialFiles(folder_);
    progress_.assign(files_.size(), Progress{});
    try {
        CopyEach();
        PlaceEach();
        platform::SyncFolder(folder_);
    } catch (const platform::RuntimeError&) {
        failed_ = current_;
        PutBack();
        throw;
    }
    ForgetReplaced();
}

const FileToCopy* AllOrNothingCopy::FailedFile() const {
    return failed_ ? &files_[*failed_] : nullptr;
}

void AllOrNothingCopy::CopyEach() {
    for (current_ = 0; current_ < files_.size(); ++current_) {
        const FileToCopy& file = files_[current_];
        progress_[current_].temporary = platform::CopyToTemporary(file.source, file.destination);
    }
}

void AllOrNothingCopy::PlaceEach() {
    for (current_ = 0; current_ < files_.size(); ++current_) {
        Progress& progress = progress_[current_];
        if (progress.temporary.empty()) {
            continue;  // the destination is the source itself
        }
        const std::string& destination = files_[current_].destination;
        progress.aside = platform::MoveAside(destination);
        platform::PutInPlace(progress.temporary, destination);
        progress.temporary.clear();
        progress.placed = true;
    }
}

// Last placed first, so that every destination gets back the file it held before.
void AllOrNothingCopy::PutBack() noexcept {
    for (std::size_t i = files_.size(); i-- > 0;) {
        Progress& progress = progress_[i];
        const std::string& destination = files_[i].destination;
        try {
            if (!progress.aside.empty()) {
                platform::PutInPlace(progress.aside, destination);
            } else if (progress.placed) {
                platform::RemoveFile(destination);
            }
        } catch (const platform::RuntimeError&) {
            // Nothing better is left to do: the original error is the one to report.
        }
        if (!progress.temporary.empty()) {
            platform::RemoveFile(progress.temporary);
        }
    }
}

void AllOrNothingCopy::ForgetReplaced() noexcept {
    for (const Progress& progress : progress_) {
        if (!progress.aside.empty()) {
            platform::RemoveFile(progress.aside);
        }
    }
}

}  // namespace setup
