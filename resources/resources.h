#pragma once

namespace resources {

// The pictures live in a static library; a program calls this once, before it loads ":/step1.gif"
// or ":/program.ico", so that the linker keeps them.
void Initialize();

}  // namespace resources
