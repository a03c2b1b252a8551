#pragma once

namespace quaro {

// The composition root: start-up in its fixed order (the single-instance rule before the
// display is opened), the message loop, and shutdown. Returns the process exit code, which is
// 0 on every path.
int RunApplication(int& argc, char** argv);

}  // namespace quaro
