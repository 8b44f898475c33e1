// vidorama-make-sample OUT.swf: writes the repository's own sample movie, so
// that the converter can be tried without finding a movie first.

#include "SampleMovie.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vidorama-make-sample OUT.swf\n";
        return 2;
    }
    const auto bytes = vidorama::sample::BuildSampleMovie();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "vidorama-make-sample: cannot write " << argv[1] << "\n";
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
