#include <string>
#include <vector>

#include "converter/flowtab.h"

int main(int argc, char** argv) { conv::FLOWTAB(std::vector<std::string>(argv, argv + argc)); }
