#pragma once

#include <functional>
#include <string>

#include "platform/forwarding_services.h"

namespace unattended {

enum class Boxes { Shown, Silent };

// Services whose boxes also say their text in the log, one line per line of it, the first after
// the box's title. Silent, no box is shown: the text goes to the standard error instead, and a
// question is answered Yes, as the command line that asked for the run wants.
class LoggedBoxes : public platform::ForwardingServices {
public:
    using LogLine = std::function<void(const std::string&)>;

    LoggedBoxes(platform::Services& inner, Boxes boxes, LogLine log);

    void ShowMessage(const std::string& text, const std::string& title) override;
    platform::Answer AskYesNo(const std::string& text, const std::string& title) override;

private:
    void Say(const std::string& text, const std::string& title);
    // A log that cannot take the line leaves the standard error as the only account.
    void Log(const std::string& line);

    Boxes boxes_;
    LogLine log_;
};

}  // namespace unattended
