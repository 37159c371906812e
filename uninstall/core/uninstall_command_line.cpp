#include "uninstall/core/uninstall_command_line.h"

#include <optional>
#include <string>
#include <utility>

#include "unattended/logged_boxes.h"
#include "uninstall/core/uninstaller.h"

namespace uninstall {

namespace {

constexpr const char* kLogName = "Uninstall.log";

// Uninstall's log: a line an event, the local time, "~" and the text, as Setup's.
class UninstallLog {
public:
    UninstallLog(platform::Services& services, std::string path)
        : services_(services), path_(std::move(path)) {}

    void Start() {
        Write(platform::OpenFor::Output, "Uninstall Log Initialized");
        started_ = true;
    }
    void Append(const std::string& text) {
        if (started_) {
            Write(platform::OpenFor::Append, text);
        }
    }

private:
    void Write(platform::OpenFor mode, const std::string& text) {
        services_.Files().PrintLine(path_, mode, services_.LocalDateTimeText() + "~" + text);
    }

    platform::Services& services_;
    std::string path_;
    bool started_ = false;
};

}  // namespace

void UninstallAsAsked(platform::Services& services, const platform::Layout& layout,
                      const unattended::Options& options) {
    const bool inFallback = !options.log && options.silent && !layout.logFallbackFolder.empty();
    if (!options.log && !inFallback) {
        platform::RunHandler(services, [&] { Uninstaller(services, layout).Run(); });
        services.EndProgram(platform::ExitStatus::Failure);
    }
    UninstallLog log(services,
                     options.log ? *options.log : layout.Join(layout.logFallbackFolder, kLogName));
    unattended::LoggedBoxes boxes(
        services, options.silent ? unattended::Boxes::Silent : unattended::Boxes::Shown,
        [&log](const std::string& line) { log.Append(line); });
    platform::RunHandler(boxes, [&] {
        if (inFallback) {
            platform::CreateMissingFolders(services.Files(), layout.logFallbackFolder);
        }
        log.Start();
        Uninstaller(boxes, layout).Run();
    });
    boxes.EndProgram(platform::ExitStatus::Failure);
}

}  // namespace uninstall
