#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    // Plain LF line ends: ctest reads the list of tests on the Linux side.
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
