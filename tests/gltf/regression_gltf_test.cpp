// Inputs the glTF fuzzer found, kept as tests.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <limits>
#include <string>

#include "gltf_morph_builder.h"
#include "gltf_morph_file.h"

namespace {

// A primitive tinygltf skips (no "attributes"), or a target attribute it drops (not an index), must
// not shift which JSON element the edits reach: the file is refused.
TEST(GltfRegression, AnElementTheParserSkipsRefusesTheFile) {
  GltfMeshDescription character;
  character.targetNames = {"smile_L"};
  for (float z : {0.0f, 1.0f}) {
    GltfPrimitiveDescription prim;
    prim.positions = {-1, 0, z, 1, 0, z, 0, 1, z};
    prim.triangles = {0, 1, 2};
    GltfTargetDescription target;
    target.positions = {0.5f, 0, 0, 0, 0, 0, 0, 0, 0};
    prim.targets = {target};
    character.primitives.push_back(prim);
  }
  std::string bin;
  const std::string text = BuildMorphGltf(character, "x.bin", &bin);
  const GltfExternalReader readBin = [&](const std::string&, std::string& r_bytes, std::string&) {
    r_bytes = bin;
    return true;
  };
  GltfMorphFile file;
  std::string error;
  ASSERT_TRUE(file.Load(text, "whole.gltf", readBin, error)) << error;
  for (auto [from, to] : {std::pair<std::string, std::string>{"{\"attributes\"", "{\"extrasutes\""},
                          {"\"targets\":[{\"POSITION\":", "\"targets\":[{\"POSITION\":\"x\",\"P\":"}}) {
    std::string damaged = text;
    damaged.replace(damaged.find(from), from.size(), to);
    EXPECT_FALSE(file.Load(damaged, "skipped.gltf", readBin, error)) << to;
    EXPECT_NE(error.find("not valid glTF"), std::string::npos) << error;
  }
}

// A target without POSITION on a primitive, given positions, and a target created like it: both
// gain the attribute, and the written file gives the values back.
TEST(GltfRegression, PositionsGivenToATargetWithoutThemAreWritten) {
  GltfMeshDescription character;
  character.targetNames = {"smile_L"};
  GltfPrimitiveDescription prim;
  prim.positions = {-1, 0, 0, 1, 0, 0, 0, 1, 0};
  prim.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  prim.triangles = {0, 1, 2};
  GltfTargetDescription target;
  target.positions = {0.5f, 0, 0, 0, 0, 0, 0, 0, 0};
  target.normals = {0, 0.5f, 0, 0, 0, 0, 0, 0, 0};
  prim.targets = {target};
  character.primitives = {prim};
  std::string glb = BuildMorphGltf(character);
  const std::string from = "\"targets\":[{\"POSITION\"";
  glb.replace(glb.find(from), from.size(), "\"targets\":[{\"POSITINN\"");
  const GltfExternalReader noFiles = [](const std::string&, std::string&, std::string&) { return false; };
  GltfMorphFile file;
  std::string error;
  ASSERT_TRUE(file.Load(glb, "no_position.glb", noFiles, error)) << error;
  ASSERT_FALSE(file.HasTarget(0, 0, 0, MorphAttribute::Position));
  const int created = file.AddTarget(0, "smile_R", 0);
  const std::vector<float> moved = {0.25f, 0, 0, 0, 0.125f, 0, 0, 0, -1};
  file.SetDisplacement(0, 0, 0, MorphAttribute::Position, moved);
  file.SetDisplacement(0, 0, created, MorphAttribute::Position, moved);
  std::string written;
  ASSERT_TRUE(file.Write([&](std::string_view piece) {
    written.append(piece);
    return true;
  }));
  GltfMorphFile again;
  ASSERT_TRUE(again.Load(written, "written.glb", noFiles, error)) << error;
  for (int t : {0, created}) {
    EXPECT_EQ(again.Displacement(0, 0, t, MorphAttribute::Position), moved) << t;
    EXPECT_EQ(again.Displacement(0, 0, t, MorphAttribute::Normal), file.Displacement(0, 0, t, MorphAttribute::Normal)) << t;
  }
}

// A sparse target whose indices share their bytes with its own values: writing the values in place
// would change the indices, so it gets an accessor of its own. (The one moved vertex is 1, and its x
// displacement the float whose bits are 1, so the shared bytes read as a valid index.)
TEST(GltfRegression, ASparseTargetOverItsOwnIndicesIsNotWrittenInPlace) {
  GltfMeshDescription character;
  character.targetNames = {"cheek_R"};
  GltfPrimitiveDescription prim;
  prim.positions = {-1, 0, 0, 1, 0, 0, 0, 1, 0};
  prim.triangles = {0, 1, 2};
  GltfTargetDescription target;
  target.positions = {0, 0, 0, std::numeric_limits<float>::denorm_min(), 0, 0, 0, 0, 0};
  target.sparse = true;
  prim.targets = {target};
  character.primitives = {prim};
  std::string bin;
  std::string text = BuildMorphGltf(character, "x.bin", &bin);
  const std::string indices = "\"indices\":{\"bufferView\":", values = "\"values\":{\"bufferView\":";
  const size_t valueView = text.find(values) + values.size();
  const size_t at = text.find(indices) + indices.size();
  text.replace(at, text.find(',', at) - at, text.substr(valueView, text.find('}', valueView) - valueView));
  const GltfExternalReader readBin = [&](const std::string&, std::string& r_bytes, std::string&) {
    r_bytes = bin;
    return true;
  };
  GltfMorphFile file;
  std::string error;
  ASSERT_TRUE(file.Load(text, "shared.gltf", readBin, error)) << error;
  const std::vector<float> moved = {0, 0, 0, 0.25f, 1, 0, 0, 0, 0};
  file.SetDisplacement(0, 0, 0, MorphAttribute::Position, moved);
  EXPECT_TRUE(file.Restructured());
  std::string written;
  ASSERT_TRUE(file.Write([&](std::string_view piece) {
    written.append(piece);
    return true;
  }));
  GltfMorphFile again;
  ASSERT_TRUE(again.Load(written, "written.gltf", readBin, error)) << error;
  EXPECT_EQ(again.Displacement(0, 0, 0, MorphAttribute::Position), moved);
}

// An accessor nothing reads may name a buffer view that does not exist: the file loads, and the
// search for bytes shared with the targets does not follow it.
TEST(GltfRegression, AnUnusedAccessorOutOfRangeIsNotFollowed) {
  GltfMeshDescription character;
  character.targetNames = {"smile_L"};
  GltfPrimitiveDescription prim;
  prim.positions = {-1, 0, 0, 1, 0, 0, 0, 1, 0};
  prim.triangles = {0, 1, 2};
  GltfTargetDescription target;
  target.positions = {0.5f, 0, 0, 0, 0, 0, 0, 0, 0};
  prim.targets = {target};
  character.primitives = {prim};
  std::string bin;
  std::string text = BuildMorphGltf(character, "x.bin", &bin);
  const std::string accessors = "\"accessors\":[";
  text.insert(text.find(accessors) + accessors.size(),
              "{\"bufferView\":99,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\",\"sparse\":{\"count\":1,"
              "\"indices\":{\"bufferView\":98,\"componentType\":5125},\"values\":{\"bufferView\":97}}},");
  // Every accessor index in the file moves up by one.
  for (const char* key : {"\"POSITION\":", "\"indices\":"}) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
      const size_t digits = at + std::strlen(key);
      if (!std::isdigit(static_cast<unsigned char>(text[digits]))) continue;
      const size_t end = text.find_first_not_of("0123456789", digits);
      text.replace(digits, end - digits, std::to_string(std::stoi(text.substr(digits, end - digits)) + 1));
    }
  }
  const GltfExternalReader readBin = [&](const std::string&, std::string& r_bytes, std::string&) {
    r_bytes = bin;
    return true;
  };
  GltfMorphFile file;
  std::string error;
  ASSERT_TRUE(file.Load(text, "unused.gltf", readBin, error)) << error;
  EXPECT_EQ(file.Displacement(0, 0, 0, MorphAttribute::Position), target.positions);
}

}  // namespace
