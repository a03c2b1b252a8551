// Writes the factory documents of the default data folder. Run it after changing a table and
// commit the result: quaro-factory-data DefaultData
#include "FactoryData.h"
#include "platform/Trace.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <DefaultData folder>\n", argv[0]);
        return 2;
    }
    quaro::SetTraceSink({});
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    if (!quaro::factory::WriteFactoryData(argv[1])) {
        std::fprintf(stderr, "could not write every document into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
