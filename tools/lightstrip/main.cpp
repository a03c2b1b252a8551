// quaro-lightstrip: draws recorded keyboard light sequences (one line per step, one RRGGBBII
// entry per logical key) as a PNG, one row of key colours per step, as the device would show
// them. Keys go in logical order, or with --matrix column by column over the keyboard so that
// waves read as bands.

#include "devices/keyboard/KeyTables.h"
#include "devices/light/LedColor.h"
#include "devices/light/LightTables.h"

#include <QColor>
#include <QImage>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quaro::LedColor;

std::vector<std::vector<LedColor>> ReadSequence(const char* path) {
    std::vector<std::vector<LedColor>> steps;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream words(line);
        std::string word;
        std::vector<LedColor> step;
        while (words >> word) {
            const unsigned long value = std::strtoul(word.c_str(), nullptr, 16);
            step.push_back(
                {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                 static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<int> KeyColumns(bool matrix) {
    std::vector<int> order;
    std::array<bool, quaro::kLogicalKeyCount> placed{};
    if (matrix) {
        for (const auto& column : quaro::kKeyMatrix) {
            for (std::uint8_t key : column) {
                if (key < quaro::kLogicalKeyCount && !placed[key]) {
                    placed[key] = true;
                    order.push_back(key);
                }
            }
        }
    }
    for (int key = 0; key < quaro::kLogicalKeyCount; ++key) {
        if (!placed[key]) {
            order.push_back(key);
        }
    }
    return order;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> inputs;
    const char* output = nullptr;
    bool matrix = false;
    int scale = 6;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--matrix") {
            matrix = true;
        } else if (arg == "--scale" && i + 1 < argc) {
            scale = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else {
            inputs.push_back(argv[i]);
        }
    }
    if (output == nullptr || inputs.empty()) {
        std::fprintf(stderr,
                     "usage: quaro-lightstrip [--matrix] [--scale N] -o out.png sequence.txt...\n"
                     "Several sequences are stacked with a grey bar between them.\n");
        return 2;
    }
    std::vector<std::vector<std::vector<LedColor>>> sequences;
    int rows = 0;
    for (const char* input : inputs) {
        sequences.push_back(ReadSequence(input));
        if (sequences.back().empty()) {
            std::fprintf(stderr, "quaro-lightstrip: no steps in %s\n", input);
            return 1;
        }
        rows += static_cast<int>(sequences.back().size());
    }
    constexpr int kBar = 3;
    const std::vector<int> columns = KeyColumns(matrix);
    const int width = static_cast<int>(columns.size()) * scale;
    const int height = rows * scale + kBar * static_cast<int>(sequences.size() - 1);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(64, 64, 64));
    int top = 0;
    for (const auto& steps : sequences) {
        for (const auto& step : steps) {
            for (std::size_t x = 0; x < columns.size(); ++x) {
                const std::size_t key = static_cast<std::size_t>(columns[x]);
                const LedColor c = key < step.size() ? step[key] : LedColor{};
                const QColor color(quaro::ScaleChannel(c.red, c.intensity),
                                   quaro::ScaleChannel(c.green, c.intensity),
                                   quaro::ScaleChannel(c.blue, c.intensity));
                // A one-pixel gap keeps neighbouring keys apart.
                for (int dy = 0; dy < scale; ++dy) {
                    for (int dx = 0; dx < scale - (scale > 2 ? 1 : 0); ++dx) {
                        image.setPixelColor(static_cast<int>(x) * scale + dx, top + dy, color);
                    }
                }
            }
            top += scale;
        }
        top += kBar;
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "quaro-lightstrip: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
