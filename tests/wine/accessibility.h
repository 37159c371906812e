#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/windows/windows_api.h"

// What a screen reader learns of a window, through the system's accessibility interfaces.
namespace wine_testing {

// The name, role and state of a window's client object (AccessibleObjectFromWindow);
// "<no accessible object>" and 0 when there is none.
struct Accessible {
    std::string name;
    long role;
    long state;
};
Accessible AccessibleOf(HWND window);

// Stands in for the system's accessibility property service while it lives: what the programs
// give it for each window, as a screen reader's proxy would serve it.
class AnnotationRecorder {
public:
    AnnotationRecorder();
    ~AnnotationRecorder();
    AnnotationRecorder(const AnnotationRecorder&) = delete;
    AnnotationRecorder& operator=(const AnnotationRecorder&) = delete;

    // "" when nothing was given, or it was cleared.
    std::string Name(HWND window) const;
    std::string Description(HWND window) const;
    long Role(HWND window) const;

private:
    class Service;
    Service* service_;
    DWORD cookie_ = 0;
};

}  // namespace wine_testing
