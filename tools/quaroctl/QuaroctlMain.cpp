// quaroctl: lists the supported devices that are present and shows what they hold, through the
// same HidDevice and CommandChannel as the application.
#include "Quaroctl.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return quaro::RunQuaroctl(args, std::cout, std::cerr);
}
