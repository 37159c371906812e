// Any program the system starts under the name "java" satisfies the installer; this one ends at
// once, or, started with "wait", when it is ended.
#include <cstring>

#include "platform/windows/windows_api.h"

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "wait") == 0) {
        ::Sleep(INFINITE);
    }
    return 0;
}
