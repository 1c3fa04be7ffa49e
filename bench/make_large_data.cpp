// Writes a data folder with as many records in every section file as asked: for measuring
// the program's start with large files. Usage: make_large_data DATA_FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/large_data.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_large_data DATA_FOLDER COUNT\n");
        return 2;
    }
    pomix::WriteLargeData(std::string(argv[1]) + "/", std::atoi(argv[2]));
    return 0;
}
