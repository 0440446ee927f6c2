// Placeholder until the resource compiler lands: writes an empty resource source.
#include <fstream>
int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::ofstream(argv[2]) << "// no resources\n";
  return 0;
}
