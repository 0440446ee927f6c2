// velomorph apply on glTF character files, run as a user runs it on files generated here: each
// target's result must be what apply makes of the same base and target as OBJ files, bit for bit;
// the file must keep every byte the run had no reason to touch; damaged files are refused whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_fixture.h"
#include "gltf_morph_builder.h"
#include "gltf_morph_file.h"
#include "json_spans.h"

namespace {

const char kExtrasAndExtension[] =
    "\"extensionsUsed\":[\"VENDOR_rig_notes\"],\"extensions\":{\"VENDOR_rig_notes\":{\"bones\":[1, 2,  3]}},"
    "\"extras\":{\"author\":\"test\", \"pi\":3.14159265358979}";

std::vector<float> flat(const std::vector<Point3>& points) {
  std::vector<float> out;
  for (const Point3& p : points) out.insert(out.end(), {p.x, p.y, p.z});
  return out;
}

std::vector<Point3> points(const std::vector<float>& values) {
  std::vector<Point3> out;
  for (size_t i = 0; i + 2 < values.size(); i += 3) out.emplace_back(values[i], values[i + 1], values[i + 2]);
  return out;
}

std::vector<uint32_t> gridTriangles(const MirrorGrid& grid) {
  std::vector<uint32_t> triangles;
  for (int row = 0; row + 1 < MirrorGrid::kRows; ++row) {
    for (int column = 0; column + 1 < MirrorGrid::kColumns; ++column) {
      const uint32_t a = uint32_t(grid.At(column, row)), b = uint32_t(grid.At(column + 1, row)),
                     c = uint32_t(grid.At(column + 1, row + 1)), d = uint32_t(grid.At(column, row + 1));
      triangles.insert(triangles.end(), {a, b, c, a, c, d});
    }
  }
  return triangles;
}

// The grid twice (the second primitive raised along z), each with a dense target carrying normals,
// a dense one without, and a sparse one moving only the negative side.
GltfMeshDescription twoPrimitiveCharacter(const MirrorGrid& grid) {
  GltfMeshDescription character;
  character.name = "body";
  character.targetNames = {"dense_smile", "dense_brow", "sparse_cheek"};
  character.extraRootMembers = kExtrasAndExtension;
  for (int k = 0; k < 2; ++k) {
    GltfPrimitiveDescription prim;
    std::vector<Point3> base = grid.Base();
    for (Point3& p : base) p.z += 5.0f * float(k);
    const std::vector<Point3> sculpt = grid.Sculpt();
    prim.positions = flat(base);
    prim.triangles = gridTriangles(grid);
    GltfTargetDescription smile, brow, cheek;
    for (size_t v = 0; v < base.size(); ++v) {
      const Point3 d = sculpt[v] - grid.Base()[v];
      prim.normals.insert(prim.normals.end(), {0.0f, -0.6f, 0.8f});
      smile.positions.insert(smile.positions.end(), {d.x, d.y, d.z * (1.0f + float(k))});
      smile.normals.insert(smile.normals.end(), {0.1f * float(v % 3), 0.05f, -0.02f * float(v % 5)});
      brow.positions.insert(brow.positions.end(), {0.3f * d.y, 0.7f * d.z, 0.1f * d.x});
      const bool negative = grid.OnNegativeSide(int(v));
      cheek.positions.insert(cheek.positions.end(), {negative ? d.z : 0.0f, negative ? 0.25f : 0.0f, 0.0f});
    }
    cheek.sparse = true;
    prim.targets = {smile, brow, cheek};
    character.primitives.push_back(std::move(prim));
  }
  return character;
}

std::string objText(const std::vector<Point3>& positions, const std::vector<uint32_t>& triangles) {
  std::string text;
  char line[128];
  for (const Point3& p : positions) {
    std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    text += line;
  }
  for (size_t t = 0; t < triangles.size(); t += 3) {
    text += "f " + std::to_string(triangles[t] + 1) + " " + std::to_string(triangles[t + 1] + 1) + " " +
            std::to_string(triangles[t + 2] + 1) + "\n";
  }
  return text;
}

bool sameBits(const std::vector<Point3>& a, const std::vector<Point3>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Point3)) == 0;
}

class GltfApplyTest : public CliTest {
 protected:
  // A file of the test's folder, loaded (its .bin files read from the folder too).
  void Load(const std::string& name, GltfMorphFile& r_file) const {
    std::string error;
    const bool loaded = r_file.Load(Read(name), name,
                                    [&](const std::string& uri, std::string& r_bytes, std::string&) {
                                      r_bytes = Read(uri);
                                      return true;
                                    },
                                    error);
    ASSERT_TRUE(loaded) << error;
  }
  // Base + displacement of target `t` of primitive `p`.
  static std::vector<Point3> Shape(const GltfMorphFile& file, int p, int t) {
    std::vector<float> base = file.Base(0, p, MorphAttribute::Position);
    const std::vector<float> d = file.Displacement(0, p, t, MorphAttribute::Position);
    for (size_t i = 0; i < base.size(); ++i) base[i] += d[i];
    return points(base);
  }
  // What apply makes of `input` against `base` written as OBJ files.
  std::vector<Point3> ApplyOnObj(const std::vector<Point3>& base, const std::vector<Point3>& input,
                                 const std::vector<uint32_t>& triangles, const std::vector<std::string>& options) const {
    Write("obj_base.obj", objText(base, triangles));
    Write("obj_input.obj", objText(input, triangles));
    std::vector<std::string> args = {"apply", "--target", "obj_base.obj", "--input", "obj_input.obj", "--out", "obj_out.obj",
                                     "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadPositions("obj_out.obj");
  }
  // Every target of `out` (`targets` of them, read from `source` unless `from` says otherwise)
  // equals apply's OBJ result, bit for bit.
  void ExpectEqualsObjApply(const std::string& source, const std::string& out, const std::vector<std::string>& options,
                            const std::vector<std::pair<int, int>>& fromTo) const {
    GltfMorphFile before, after;
    Load(source, before);
    Load(out, after);
    for (int p = 0; p < before.PrimitiveCount(0); ++p) {
      std::vector<uint32_t> triangles;
      for (int i : before.Triangles(0, p)) triangles.push_back(uint32_t(i));
      const std::vector<Point3> base = points(before.Base(0, p, MorphAttribute::Position));
      for (auto [from, to] : fromTo) {
        const std::vector<Point3> expected = ApplyOnObj(base, Shape(before, p, from), triangles, options);
        EXPECT_TRUE(sameBits(Shape(after, p, to), expected)) << out << " primitive " << p << " target " << to;
      }
    }
  }
};

TEST_F(GltfApplyTest, EveryTargetOfEveryPrimitiveEqualsApplyOnItsObjForm) {
  const MirrorGrid grid(0);
  const GltfMeshDescription character = twoPrimitiveCharacter(grid);
  std::string bin;
  Write("character.glb", BuildMorphGltf(character));
  Write("character.gltf", BuildMorphGltf(character, "character.bin", &bin));
  Write("character.bin", bin);
  const std::vector<std::pair<int, int>> all = {{0, 0}, {1, 1}, {2, 2}};
  for (const std::string& name : {std::string("character.glb"), std::string("character.gltf")}) {
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--operation", "flip"}, {"--direction", "positive", "--align-center", "off"},
          {"--operation", "reset"}, {"--as", "mesh"}, {"--as", "patch", "--operation", "flip"}, {"--pairing", "topology"}}) {
      const std::string out = "out." + name.substr(name.find('.') + 1);
      std::vector<std::string> args = {"apply", "--target", name, "--out", out, "--quiet"};
      args.insert(args.end(), options.begin(), options.end());
      const RunResult r = Run(args);
      ASSERT_EQ(r.exitCode, 0) << r.err;
      ExpectEqualsObjApply(name, out, options, all);
      // The sparse target's vertex set changed, so the file was restructured: what it carried stays.
      EXPECT_NE(Read(out).find(kExtrasAndExtension), std::string::npos) << out;
    }
  }

  // A selection weighs the vertices of a file of one primitive as it weighs an OBJ input's.
  GltfMeshDescription one = character;
  one.primitives.resize(1);
  Write("one.glb", BuildMorphGltf(one));
  std::vector<float> weights(MirrorGrid::kColumns * MirrorGrid::kRows, 1.0f);
  for (size_t cell = 0; cell < weights.size(); cell += 3) weights[cell] = cell % 2 ? 0.5f : 0.0f;
  Write("weights.txt", grid.WeightsText(weights));
  const std::vector<std::string> selected = {"--selection", "weights.txt", "--operation", "flip"};
  std::vector<std::string> args = {"apply", "--target", "one.glb", "--out", "one_out.glb", "--quiet"};
  args.insert(args.end(), selected.begin(), selected.end());
  ASSERT_EQ(Run(args).exitCode, 0);
  ExpectEqualsObjApply("one.glb", "one_out.glb", selected, all);

  // Normals follow: a vertex Mirror moved takes the mirror image of its partner's displaced normal.
  ASSERT_EQ(Run({"apply", "--target", "character.glb", "--out", "out.glb", "--quiet"}).exitCode, 0);
  GltfMorphFile before, after;
  Load("character.glb", before);
  Load("out.glb", after);
  const std::vector<float> base = before.Base(0, 1, MorphAttribute::Normal);
  const std::vector<float> was = before.Displacement(0, 1, 0, MorphAttribute::Normal);
  const std::vector<float> now = after.Displacement(0, 1, 0, MorphAttribute::Normal);
  for (int v = 0; v < MirrorGrid::kVertices; ++v) {
    const size_t i = size_t(v) * 3, q = size_t(grid.Partner(v)) * 3;
    if (grid.OnNegativeSide(v)) {
      EXPECT_EQ(base[i] + now[i], -(base[q] + was[q])) << "vertex " << v;
      EXPECT_EQ(base[i + 1] + now[i + 1], base[q + 1] + was[q + 1]) << "vertex " << v;
    } else if (grid.OnPositiveSide(v)) {
      EXPECT_EQ(now[i], was[i]) << "vertex " << v;
    }
  }
}

// The JSON text and buffer 0's bytes of a .glb or .gltf (an embedded buffer decoded).
struct FileParts {
  std::string json;
  std::string bin;
};

std::string unbase64(const std::string& text) {
  static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const size_t d = kDigits.find(c);
    if (d == std::string::npos) break;
    bits = bits << 6 | uint32_t(d);
    if ((count += 6) >= 8) {
      count -= 8;
      out += char((bits >> count) & 0xFF);
    }
  }
  return out;
}

std::string spanText(const std::string& text, const JsonSpans& spans, int node) {
  return text.substr(spans.At(node).begin, spans.At(node).end - spans.At(node).begin);
}

// The dense targets' bytes may change in place; nothing else of the file may, but their accessors'
// min and max (and a .gltf's buffer URI, which then carries the changed bytes).
TEST_F(GltfApplyTest, DenseTargetsChangeInPlaceKeepingEveryOtherByte) {
  const MirrorGrid grid(0);
  GltfMeshDescription character = twoPrimitiveCharacter(grid);
  // Spacing, key order and members no reader here knows, as an exporter might leave them.
  character.extraRootMembers = std::string(kExtrasAndExtension) + ", \"zzz_unknown\" : { \"b\":1 , \"a\":[ ] }";
  std::string bin;
  Write("character.glb", BuildMorphGltf(character));
  Write("character.gltf", BuildMorphGltf(character, "character.bin", &bin));
  Write("character.bin", bin);
  auto partsOf = [&](const std::string& name) {
    FileParts parts;
    const std::string bytes = Read(name);
    if (bytes.compare(0, 4, "glTF") == 0) {
      uint32_t jsonLength, binLength;
      std::memcpy(&jsonLength, bytes.data() + 12, 4);
      std::memcpy(&binLength, bytes.data() + 20 + jsonLength, 4);
      EXPECT_EQ(bytes.size(), 20 + jsonLength + 8 + binLength);
      parts.json = bytes.substr(20, jsonLength);
      parts.bin = bytes.substr(28 + jsonLength, binLength);
      return parts;
    }
    parts.json = bytes;
    JsonSpans spans;
    std::string error;
    EXPECT_TRUE(spans.Parse(parts.json, error)) << error;
    const std::string uri = spanText(parts.json, spans, spans.Member(spans.Element(spans.Member(spans.Root(), "buffers"), 0), "uri"));
    parts.bin = uri.rfind("\"data:", 0) == 0 ? unbase64(uri.substr(uri.find(',') + 1)) : Read(uri.substr(1, uri.size() - 2));
    return parts;
  };
  for (const std::string& name : {std::string("character.glb"), std::string("character.gltf")}) {
    const std::string out = "out." + name.substr(name.find('.') + 1);
    const RunResult r = Run({"apply", "--target", name, "--out", out, "--targets", "dense_*", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectEqualsObjApply(name, out, {}, {{0, 0}, {1, 1}});

    const FileParts was = partsOf(name), now = partsOf(out);
    JsonSpans a, b;
    std::string error;
    ASSERT_TRUE(a.Parse(was.json, error) && b.Parse(now.json, error)) << error;
    // Put back the source's min, max and URI: the JSON must then be the source's, byte for byte.
    std::vector<TextEdit> undo;
    const int accessorsA = a.Member(a.Root(), "accessors"), accessorsB = b.Member(b.Root(), "accessors");
    ASSERT_EQ(a.At(accessorsA).children.size(), b.At(accessorsB).children.size());
    for (size_t i = 0; i < a.At(accessorsA).children.size(); ++i) {
      for (const char* bound : {"min", "max"}) {
        const int na = a.Member(a.Element(accessorsA, i), bound), nb = b.Member(b.Element(accessorsB, i), bound);
        if (na >= 0) undo.push_back({b.At(nb).begin, b.At(nb).end, spanText(was.json, a, na)});
      }
    }
    if (name == "character.gltf") {
      const int uri = b.Member(b.Element(b.Member(b.Root(), "buffers"), 0), "uri");
      undo.push_back({b.At(uri).begin, b.At(uri).end, "\"character.bin\""});
    }
    // A .glb's JSON chunk is padded with spaces to whole words.
    auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of(' ') + 1); };
    EXPECT_EQ(trimmed(ApplyTextEdits(now.json, undo)), trimmed(was.json)) << name;

    // The buffer changes only inside the dense targets' buffer views (one view an accessor here).
    ASSERT_EQ(now.bin.size(), was.bin.size());
    std::vector<bool> mayChange(was.bin.size(), false);
    const int views = a.Member(a.Root(), "bufferViews");
    for (int p = 0; p < 2; ++p) {
      const int prim = a.Element(a.Member(a.Element(a.Member(a.Root(), "meshes"), 0), "primitives"), size_t(p));
      for (int t = 0; t < 2; ++t) {
        for (const auto& [attribute, node] : a.At(a.Element(a.Member(prim, "targets"), size_t(t))).children) {
          const int accessor = std::stoi(spanText(was.json, a, node));
          const int view = std::stoi(spanText(was.json, a, a.Member(a.Element(accessorsA, size_t(accessor)), "bufferView")));
          const size_t offset = std::stoul(spanText(was.json, a, a.Member(a.Element(views, size_t(view)), "byteOffset")));
          const size_t length = std::stoul(spanText(was.json, a, a.Member(a.Element(views, size_t(view)), "byteLength")));
          for (size_t k = offset; k < offset + length; ++k) mayChange[k] = true;
        }
      }
    }
    size_t changedOutside = 0, changedInside = 0;
    for (size_t k = 0; k < was.bin.size(); ++k) {
      if (was.bin[k] != now.bin[k]) ++(mayChange[k] ? changedInside : changedOutside);
    }
    EXPECT_EQ(changedOutside, 0u) << name;
    EXPECT_GT(changedInside, 0u) << name;
  }
}

TEST_F(GltfApplyTest, DeriveCreatesTheFlipOfEachLeftTarget) {
  const MirrorGrid grid(0);
  GltfMeshDescription character = twoPrimitiveCharacter(grid);
  character.targetNames = {"smile_L"};
  for (GltfPrimitiveDescription& prim : character.primitives) prim.targets.resize(1);
  Write("face.glb", BuildMorphGltf(character));
  const RunResult r = Run({"apply", "--target", "face.glb", "--out", "face.glb", "--derive", "_L=_R", "--quiet"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  GltfMorphFile file;
  Load("face.glb", file);
  ASSERT_EQ(file.TargetCount(0), 2);
  EXPECT_EQ(file.TargetName(0, 1), "smile_R");
  EXPECT_EQ(file.Displacement(0, 0, 1, MorphAttribute::Normal).size(), size_t(MirrorGrid::kVertices) * 3);
  EXPECT_NE(Read("face.glb").find("\"weights\":[0,0]"), std::string::npos);
  // face.glb now holds smile_L as it was and smile_R; run again, smile_R is replaced in place.
  ExpectEqualsObjApply("face.glb", "face.glb", {"--operation", "flip"}, {{0, 1}});
  const std::string once = Read("face.glb");
  ASSERT_EQ(Run({"apply", "--target", "face.glb", "--out", "again.glb", "--derive", "_L=_R", "--quiet"}).exitCode, 0);
  EXPECT_EQ(Read("again.glb"), once);
}

TEST_F(GltfApplyTest, DamagedOrRefusedFilesWriteNothing) {
  const MirrorGrid grid(0);
  const std::string good = BuildMorphGltf(twoPrimitiveCharacter(grid));
  std::string bin;
  const std::string text = BuildMorphGltf(twoPrimitiveCharacter(grid), "character.bin", &bin);
  Write("character.bin", bin);
  auto replaced = [](std::string s, const std::string& from, const std::string& to) {
    const size_t at = s.find(from);
    return at == std::string::npos ? std::string() : s.replace(at, from.size(), to);
  };
  std::string lengthLie = good;
  lengthLie[8] = char(lengthLie[8] + 4);
  std::string chunkLie = good;
  chunkLie[12] = char(chunkLie[12] + 100);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"truncated.glb", good.substr(0, good.size() - 10)},
      {"length.glb", lengthLie},
      {"chunk.glb", chunkLie},
      {"json.gltf", text.substr(0, text.size() / 2)},
      {"view.gltf", replaced(text, "\"byteOffset\":180,", "\"byteOffset\":99999,")},
      {"accessor.gltf", replaced(text, "\"NORMAL\":4}", "\"NORMAL\":400}")},
      {"count.gltf", replaced(text, "\"count\":15,\"type\":\"VEC3\",\"bufferView\":5", "\"count\":14,\"type\":\"VEC3\",\"bufferView\":5")},
      {"parent.gltf", replaced(text, "\"uri\":\"character.bin\"", "\"uri\":\"../character.bin\"")},
      {"absolute.gltf", replaced(text, "\"uri\":\"character.bin\"", "\"uri\":\"/etc/passwd\"")},
      {"draco.gltf", replaced(text, "[\"VENDOR_rig_notes\"]", "[\"VENDOR_rig_notes\",\"KHR_draco_mesh_compression\"]")},
      {"quantized.gltf", replaced(text, "\"asset\":", "\"extensionsRequired\":[\"KHR_mesh_quantization\"],\"asset\":")},
      {"meshopt.gltf", replaced(text, "[\"VENDOR_rig_notes\"]", "[\"EXT_meshopt_compression\"]")},
  };
  for (const auto& [name, bytes] : cases) {
    ASSERT_FALSE(bytes.empty()) << name;
    Write(name, bytes);
    const std::string out = "out" + name.substr(name.find('.'));
    const RunResult r = Run({"apply", "--target", name, "--out", out});
    EXPECT_EQ(r.exitCode, 3) << name << ": " << r.err;
    EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(out)) << name;
  }
}

TEST_F(GltfApplyTest, OptionsThatDoNotFitAGltfFileAreRefused) {
  const MirrorGrid grid(0);
  Write("character.glb", BuildMorphGltf(twoPrimitiveCharacter(grid)));
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("weights.txt", grid.WeightsText(std::vector<float>(MirrorGrid::kVertices, 1.0f)));
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"--input", "base.obj"}, 2},
      {{"--out-dir", "results"}, 2},
      {{"--pairing", "topology", "--seed-edge", "1,2"}, 2},  // which primitive's edge?
      {{"--derive", "_L"}, 2},
      {{"--derive", "_L=_R", "--operation", "mirror"}, 2},
      {{"--selection", "weights.txt"}, 2},  // two primitives: whose vertices would it weigh?
      {{"--targets", "nothing_*"}, 4},
  };
  for (const auto& [options, code] : cases) {
    std::vector<std::string> args = {"apply", "--target", "character.glb"};
    if (options.front() != "--out-dir") args.insert(args.end(), {"--out", "out.glb"});
    args.insert(args.end(), options.begin(), options.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, code) << options.front() << ": " << r.err;
    EXPECT_FALSE(Exists("out.glb")) << options.front();
  }
  EXPECT_EQ(Run({"apply", "--target", "base.obj", "--input", "base.obj", "--out", "o.obj", "--targets", "x"}).exitCode, 2);
}

// The Khronos validator, where node and npm's gltf-validator are installed (./run.sh test installs
// it into build/npm): no error in any kind of result.
TEST_F(GltfApplyTest, KhronosValidatorFindsNoErrorInAnyResult) {
  const std::string modules = VELOMORPH_NODE_MODULES;
  if (std::system("node --version >/dev/null 2>&1") != 0 || !std::filesystem::exists(modules + "/gltf-validator")) {
    GTEST_SKIP() << "node or " << modules << "/gltf-validator is missing (npm install --prefix build/npm gltf-validator)";
  }
  const MirrorGrid grid(0);
  GltfMeshDescription character = twoPrimitiveCharacter(grid);
  std::string bin;
  Write("character.glb", BuildMorphGltf(character));
  Write("character.gltf", BuildMorphGltf(character, "character.bin", &bin));
  Write("character.bin", bin);
  character.targetNames = {"smile_L"};
  for (GltfPrimitiveDescription& prim : character.primitives) prim.targets.resize(1);
  Write("face.glb", BuildMorphGltf(character));
  const std::vector<std::vector<std::string>> runs = {
      {"--target", "character.glb", "--out", "mirrored.glb"},
      {"--target", "character.gltf", "--out", "flipped.gltf", "--operation", "flip"},
      {"--target", "character.glb", "--out", "in_place.glb", "--targets", "dense_*"},
      {"--target", "face.glb", "--out", "derived.glb", "--derive", "_L=_R"},
  };
  std::string files;
  for (const std::vector<std::string>& run : runs) {
    std::vector<std::string> args = {"apply", "--quiet"};
    args.insert(args.end(), run.begin(), run.end());
    ASSERT_EQ(Run(args).exitCode, 0);
    files += " '" + Path(run[3]) + "'";
  }
  const std::string command = "NODE_PATH='" + modules + "' node '" VELOMORPH_SOURCE_DIR "/tests/gltf/validate_gltf.js'" +
                              files + " > '" + Path("validator.txt") + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << Read("validator.txt");
}

}  // namespace
