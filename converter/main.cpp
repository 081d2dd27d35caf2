#include <iostream>
#include <string>
#include <vector>

#include "converter/flowtab.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  conv::FLOWTAB(std::vector<std::string>(argv, argv + argc));
}
