// Writes the seed inputs of the XP interface harness into a folder: small
// files of all five physical layouts (packed and one-per-record IDs, both
// step layouts, constituents), each behind the harness's option byte.
#include <fstream>
#include <string>

#include "tests/xp_file_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  int n = 0;
  for (int type = 1; type <= 5; ++type) {
    for (const char* source : {"rafts", "swmm"}) {
      for (int nconst : {0, 1}) {
        if (type == 5 && (nconst > 0 || std::string(source) != "rafts")) continue;
        xpgen::File f;
        f.type = type;
        f.source = source;
        f.nconst = nconst;
        f.ids = {"N1", "N2"};
        for (int k = 0; k < 3; ++k) {
          xpgen::Step s;
          s.timesec = 900.0 * k;
          s.q = {1.0 + k, 2.0 * k};
          if (nconst > 0) s.c = {0.5, 0.25};
          f.steps.push_back(s);
        }
        std::ofstream out(dir + "/seed" + std::to_string(++n), std::ios::binary);
        out.put(static_cast<char>(n % 16));
        const std::string bytes = xpgen::write(f).bytes;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      }
    }
  }
}
