#include "platform/program_hooks.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/platform.h"

namespace platform {

namespace {

MessageBoxHandler& MessageBoxSlot() {
    static MessageBoxHandler handler = detail::SystemMessageBox;
    return handler;
}

EndAction& EndSlot() {
    static EndAction action;
    return action;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxSlot() = std::move(handler);
}

void ShowMessage(const std::string& text, const std::string& title) {
    MessageBoxSlot()(text, title);
}

void SetEndAction(EndAction action) {
    EndSlot() = std::move(action);
}

void EndProgram() {
    if (EndSlot()) {
        EndSlot()();
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace platform
