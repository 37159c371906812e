#include "unattended/logged_boxes.h"

#include <utility>
#include <vector>

#include "platform/runtime_error.h"

namespace unattended {

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string line = text.substr(start, end - start);
        if (!line.empty()) {
            lines.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace

LoggedBoxes::LoggedBoxes(platform::Services& inner, Boxes boxes, LogLine log)
    : ForwardingServices(inner), boxes_(boxes), log_(std::move(log)) {}

void LoggedBoxes::ShowMessage(const std::string& text, const std::string& title) {
    Say(text, title);
    if (boxes_ == Boxes::Shown) {
        Inner().ShowMessage(text, title);
    }
}

platform::Answer LoggedBoxes::AskYesNo(const std::string& text, const std::string& title) {
    Say(text, title);
    const platform::Answer answer =
        boxes_ == Boxes::Silent ? platform::Answer::Yes : Inner().AskYesNo(text, title);
    const std::string said = answer == platform::Answer::Yes ? "Yes" : "No";
    Log(boxes_ == Boxes::Silent ? said + ", as the command line asked" : said);
    return answer;
}

void LoggedBoxes::Say(const std::string& text, const std::string& title) {
    std::vector<std::string> lines = LinesOf(text);
    if (lines.empty()) {
        lines.emplace_back();
    }
    lines.front() = title + ": " + lines.front();
    for (const auto& line : lines) {
        Log(line);
        if (boxes_ == Boxes::Silent) {
            WriteToConsole(platform::Console::Error, line);
        }
    }
}

void LoggedBoxes::Log(const std::string& line) {
    try {
        log_(line);
    } catch (const platform::RuntimeError&) {
    }
}

}  // namespace unattended
