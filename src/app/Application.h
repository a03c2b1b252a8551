#pragma once

class QApplication;

namespace quaro {

// The composition root: start-up in its fixed order, the message loop, and shutdown. Returns
// the process exit code, which is 0 on every path.
int RunApplication(QApplication& app);

}  // namespace quaro
