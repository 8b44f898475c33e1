#include "ConvertOptions.h"
#include "SnapshotJob.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = vidorama::cli::ParseConvertOptions(args);
    if (!parsed.options) {
        std::cerr << "vidorama-convert: " << parsed.error << "\n" << vidorama::cli::ConvertUsage();
        return 2;
    }
    if (parsed.options->mode == vidorama::cli::ConvertOptions::Mode::Help) {
        std::cout << vidorama::cli::ConvertUsage();
        return 0;
    }
    std::string error = vidorama::cli::RunSnapshotJob(*parsed.options);
    if (!error.empty()) {
        std::cerr << "vidorama-convert: " << error << "\n";
        return 1;
    }
    return 0;
}
