// glTF bytes (.glb or .gltf) through the character-file reader and writer. Whatever the bytes, the
// reader refuses them with a message or hands out arrays of the sizes it promises, indices inside
// their primitive; then every target it accepted is given new displacements (and mesh 0 a new
// target), the file is written, and the written file must load again and give back exactly those
// displacements. External files are never read here: every URI that is not data: is refused.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "gltf_morph_file.h"

namespace {

const GltfExternalReader kNoFiles = [](const std::string&, std::string&, std::string& r_error) {
  r_error = "no files beside a fuzz input";
  return false;
};

std::vector<float> moved(const std::vector<float>& values, int seed) {
  std::vector<float> out = values;
  for (size_t i = 0; i < out.size(); i += 1 + size_t(seed) % 3) out[i] = out[i] * 0.5f + float(seed % 5) - 1.0f;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  GltfMorphFile file;
  std::string error;
  if (!file.Load(std::string(reinterpret_cast<const char*>(data), size), "fuzz.glb", kNoFiles, error)) {
    FUZZ_CHECK(!error.empty(), "a refused file says why");
    return 0;
  }
  std::vector<std::vector<float>> expected;
  for (int m = 0; m < file.MeshCount(); ++m) {
    if (m == 0 && file.TargetCount(0) > 0 && file.PrimitiveCount(0) > 0) file.AddTarget(0, "added", 0);
    for (int p = 0; p < file.PrimitiveCount(m); ++p) {
      const size_t n = file.VertexCount(m, p);
      FUZZ_CHECK(file.Base(m, p, MorphAttribute::Position).size() == n * 3, "three floats a vertex");
      for (int i : file.Triangles(m, p)) FUZZ_CHECK(i >= 0 && size_t(i) < n, "a corner names a vertex");
      for (int t = 0; t < file.TargetCount(m); ++t) {
        const std::vector<float> d = file.Displacement(m, p, t, MorphAttribute::Position);
        FUZZ_CHECK(d.size() == n * 3, "a displacement a vertex");
        expected.push_back(moved(d, t + p));
        file.SetDisplacement(m, p, t, MorphAttribute::Position, expected.back());
      }
    }
  }
  std::string written;
  FUZZ_CHECK(file.Write([&](std::string_view piece) {
    written.append(piece);
    return true;
  }),
             "an accepted file is written");
  GltfMorphFile again;
  FUZZ_CHECK(again.Load(written, "written.glb", kNoFiles, error), error.c_str());
  size_t k = 0;
  for (int m = 0; m < again.MeshCount(); ++m) {
    FUZZ_CHECK(again.TargetCount(m) == file.TargetCount(m), "the targets are all written");
    for (int p = 0; p < again.PrimitiveCount(m); ++p) {
      for (int t = 0; t < again.TargetCount(m); ++t) {
        const std::vector<float> d = again.Displacement(m, p, t, MorphAttribute::Position);
        FUZZ_CHECK(k < expected.size() && d.size() == expected[k].size() &&
                       std::memcmp(d.data(), expected[k].data(), d.size() * sizeof(float)) == 0,
                   "the written displacements read back exactly");
        ++k;
      }
    }
  }
  return 0;
}
