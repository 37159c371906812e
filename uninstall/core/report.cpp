#include "uninstall/core/report.h"

namespace uninstall {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Reason(const KeptItem& item) {
    switch (item.why) {
        case Why::Changed:
            return "changed since it was installed";
        case Why::NotEmpty:
            return "not empty, it holds " + item.detail;
        case Why::Outside:
            return "not removed, as it lies outside the folders this installation owns. " +
                   item.source +
                   " names it: Setup never writes such a line, so check who changed that file";
        case Why::ThroughLink:
            return "not removed, as " + item.detail +
                   " is a link now where Setup made a folder or file, and what it leads to is not "
                   "this installation's. " +
                   item.source + " names it; remove the link yourself if you do not want it";
        case Why::StandsThere:
            return "your own " + item.detail +
                   ", kept by the install: a file of that name stands "
                   "in its place again";
        case Why::Failed:
            break;
    }
    return "could not be removed: " + item.detail;
}

}  // namespace

std::string QuestionText(const std::vector<std::string>& installFolders) {
    std::string text = "Remove Velmora_KZ 2.0.1 from this computer?";
    text += kLineEnd;
    text += kLineEnd;
    text += "It is installed in:";
    for (const auto& folder : installFolders) {
        text += kLineEnd + folder;
    }
    text += kLineEnd;
    text += kLineEnd;
    text += "Files you added or changed there are kept.";
    return text;
}

std::string ReportText(const Outcome& outcome, const std::string& uninstaller) {
    const std::string removed = Counted(outcome.filesRemoved, "file", "files") + " and " +
                                Counted(outcome.foldersRemoved, "folder", "folders");
    std::string text =
        outcome.Failed() ? "Velmora_KZ 2.0.1 was not removed completely. Removed: " + removed + "."
                         : "Velmora_KZ 2.0.1 has been removed: " + removed + ".";
    if (outcome.filesPutBack > 0) {
        text += " Put back in their places: " +
                Counted(outcome.filesPutBack, "file of yours", "files of yours") + ".";
    }
    if (!outcome.kept.empty()) {
        text += kLineEnd;
        text += kLineEnd;
        text += "Kept:";
        for (const auto& item : outcome.kept) {
            text += kLineEnd + item.place + ": " + Reason(item);
        }
    }
    if (outcome.Failed()) {
        text += kLineEnd;
        text += kLineEnd;
        text += "Start " + uninstaller + " again once these can be removed.";
    }
    return text;
}

}  // namespace uninstall
