// Writes the seed inputs of the fuzz targets into FOLDER/<target>/ (fuzz/corpus in the repository):
// a few valid inputs made by the host and the plug-in themselves, and nearly valid ones a byte or
// a count away from them, so each fuzzer starts from the shapes its reader accepts.
//
//   make_seed_corpus FOLDER
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "chunk_stream.h"
#include "file_bytes.h"
#include "gltf_morph_builder.h"
#include "scene_file.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

std::string folder;
bool failed = false;

void put(const std::string& target, const std::string& name, const std::string& bytes) {
  std::string dir = folder + "/" + target, error;
  if (!MakeDirectories(dir, error) || !WriteFileBytes(dir + "/" + name, bytes, error)) {
    std::fprintf(stderr, "make_seed_corpus: %s\n", error.c_str());
    failed = true;
  }
}

// A sculpted node carrying a new modifier whose target is an unmoved copy, evaluated once.
Modifier* sculptScene(Object* target, Object* sculpt, int constantUpdate) {
  ResetScene();
  INode* base = Scene::Get().CreateNode(L"base", target);
  INode* node = Scene::Get().CreateNode(L"sculpt", sculpt);
  Modifier* mod = NewModifier();
  Scene::Get().ApplyModifier(node, mod);
  Params(mod)->SetValue(kUndefObject, 0, base);
  Params(mod)->SetValue(kConstantUpdate, 0, constantUpdate);
  node->EvalWorldState(0);
  return mod;
}

std::string localData(INode* node) {
  ChunkSaver out;
  ModContext* mc = ContextOf(node);
  StackOf(node)->GetModifier(0)->SaveLocalData(&out, mc->localData);
  return out.Bytes();
}

std::string sceneBytes() {
  std::string bytes, error;
  if (!SaveSceneToBytes(Scene::Get(), bytes, &error)) {
    std::fprintf(stderr, "make_seed_corpus: %s\n", error.c_str());
    failed = true;
  }
  return bytes;
}

std::string i32(int v) {
  PayloadWriter w;
  w.I32(v);
  return w.Bytes();
}

void localDataSeeds() {
  const std::string target = "fuzz_local_data";
  TriObject* sculpt = MakeSymmetricGrid(4, 2);
  sculpt->GetMesh().verts[1].z += 0.5f;
  sculptScene(MakeSymmetricGrid(4, 2), sculpt, 0);
  std::string tri = localData(Scene::Get().FindNode(L"sculpt"));
  put(target, "tri_8_vertices", tri);
  put(target, "tri_cut_short", tri.substr(0, tri.size() / 2));

  PatchObject* patch = MakeSymmetricPatchGrid(4, 2);
  patch->patch.verts[1].p.z += 0.5f;
  sculptScene(MakeSymmetricPatchGrid(4, 2), patch, 0);
  put(target, "patch_8_vertices", localData(Scene::Get().FindNode(L"sculpt")));

  put(target, "empty", "");

  // Count chunks that disagree with their tables, and a table before any count.
  ChunkSaver mismatch;
  mismatch.WriteChunk(0x1000, i32(8));
  mismatch.WriteChunk(0x1020, std::string(8 * 12, '\0'));
  mismatch.WriteChunk(0x1030, i32(4));
  mismatch.WriteChunk(0x1040, std::string(8 * 12, '\x3f'));
  mismatch.WriteChunk(0x1100, i32(0) + i32(1) + i32(2) + i32(9) + i32(4) + i32(5));
  mismatch.WriteChunk(0x1090, i32(-3));
  mismatch.WriteChunk(0x1070, std::string(12, '\x01'));
  mismatch.WriteChunk(0x1130, i32(1));
  put(target, "count_mismatch", mismatch.Bytes());

  ChunkSaver early;
  early.WriteChunk(0x1100, i32(0) + i32(1));
  early.WriteChunk(0x1000, i32(2));
  early.WriteChunk(0x1140, std::string(2, '\x02'));
  put(target, "table_before_count", early.Bytes());

  // NaN and infinite coordinates in the stored result and target.
  PayloadWriter nan;
  for (int i = 0; i < 8; ++i) nan.P3(Point3(i % 2 ? NAN : 1.0f, i % 3 ? INFINITY : -1.0f, 0.0f));
  ChunkSaver notFinite;
  notFinite.WriteChunk(0x1000, i32(8));
  notFinite.WriteChunk(0x1020, nan.Bytes());
  notFinite.WriteChunk(0x1030, i32(8));
  notFinite.WriteChunk(0x1040, nan.Bytes());
  notFinite.WriteChunk(0x1140, i32(2));
  put(target, "not_finite", notFinite.Bytes());
}

void sceneSeeds() {
  const std::string target = "fuzz_scene_file";
  TriObject* sculpt = MakeSymmetricGrid(4, 2);
  sculpt->GetMesh().verts[1].z += 0.5f;
  sculptScene(MakeSymmetricGrid(4, 2), sculpt, 0);
  std::string tri = sceneBytes();
  put(target, "tri_frozen", tri);
  put(target, "tri_cut_short", tri.substr(0, tri.size() * 2 / 3));
  put(target, "header_only", tri.substr(0, 12));

  PolyObject* poly = MakeSymmetricPolyGrid(4, 2, true);
  Modifier* mod = sculptScene(MakeSymmetricPolyGrid(4, 2, true), poly, 1);
  Params(mod)->SetValue(kMirrorAxis, 0, 1);
  // The same modifier applied twice more, on a second node sharing one patch object.
  PatchObject* patch = MakeSymmetricPatchGrid(3, 2);
  INode* p1 = Scene::Get().CreateNode(L"patch1", patch);
  INode* p2 = Scene::Get().CreateNode(L"patch2", patch);
  Scene::Get().ApplyModifier(p1, mod);
  Scene::Get().ApplyModifier(p2, mod);
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) Scene::Get().GetNode(i)->EvalWorldState(0);
  put(target, "poly_and_instanced_patch", sceneBytes());

  ResetScene();
  Scene::Get().CreateNode(L"lonely", MakeTriObject({Point3(0.0f, 0.0f, 0.0f)}));
  put(target, "one_vertex_no_modifier", sceneBytes());
  ResetScene();
}

void objSeeds() {
  const std::string target = "fuzz_obj_reader";
  put(target, "triangle", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  put(target, "quad_uv_normals",
      "# quad\no quad\nv -1 0 0\nv 1 0 0 1.0\nv 1 1 0 0.5 0.5 0.5\nv -1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1 0\n"
      "vn 0 0 1\ng side\nusemtl skin\ns 1\nf 1/1/1 2/2/1 3/3/1 4/4/1\n");
  put(target, "relative_indices", "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nv 1 1 0\r\nf -4 -3 -2\r\nf -3//1 -1//1 -2//1\r\n");
  put(target, "vertices_only", "v 1e-3 -2.5E+2 3\nv .5 -.5 0.\n");
  put(target, "index_out_of_range", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n");
  put(target, "not_finite", "v nan 0 0\nv 1 inf 0\nv 0 1 1e39\nf 1 2 3\n");
  put(target, "mixed_texture_corners", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2 3\n");
  put(target, "two_corners", "v 0 0 0\nv 1 0 0\nf 1 2\n");
  // A cube whose quads an exporter split a b c, a c d: topology pairing reads them back.
  put(target, "split_quad_cube",
      "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
      "f 1 4 3\nf 1 3 2\nf 5 6 7\nf 5 7 8\nf 1 2 6\nf 1 6 5\nf 3 4 8\nf 3 8 7\nf 1 5 8\nf 1 8 4\nf 2 3 7\nf 2 7 6\n");
}

void selectionSeeds() {
  const std::string target = "fuzz_selection_reader";
  put(target, "weights", "1\n0\n0.5\n0.25\n");
  put(target, "blank_separated", "1 0\t0.125\r\n\n1e-2\n");
  put(target, "empty", "");
  put(target, "out_of_range", "1\n1.5\n-0.1\n");
  put(target, "not_a_number", "1\nnan\nyes\n");
}

// A little character: two triangles across x = 0 as two primitives, a dense target with normals and
// a sparse one, as .glb, as .gltf with its buffer embedded, and cut short.
void gltfSeeds() {
  const std::string target = "fuzz_gltf_reader";
  GltfMeshDescription character;
  character.name = "face";
  character.targetNames = {"smile_L", "cheek_R"};
  character.extraRootMembers = "\"extras\":{\"note\":1},\"extensionsUsed\":[\"VENDOR_x\"]";
  for (float z : {0.0f, 1.0f}) {
    GltfPrimitiveDescription prim;
    prim.positions = {-1, 0, z, 1, 0, z, 0, 1, z, 0, -1, z};
    prim.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    prim.triangles = {0, 1, 2, 0, 3, 1};
    GltfTargetDescription dense, sparse;
    dense.positions = {-0.5f, 0, 0.25f, 0, 0, 0, 0, 0.5f, 0, 0.125f, 0, 0};
    dense.normals = {0.1f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.2f, 0};
    sparse.positions = {0, 0, 0, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0};
    sparse.sparse = true;
    prim.targets = {dense, sparse};
    character.primitives.push_back(prim);
  }
  const std::string glb = BuildMorphGltf(character);
  put(target, "two_primitives.glb", glb);
  put(target, "truncated.glb", glb.substr(0, glb.size() / 2));
  std::string bin;
  BuildMorphGltf(character, "x.bin", &bin);
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string uri = "data:application/octet-stream;base64,";
  for (size_t i = 0; i < bin.size(); i += 3) {
    const uint32_t v = uint32_t(uint8_t(bin[i])) << 16 | uint32_t(i + 1 < bin.size() ? uint8_t(bin[i + 1]) : 0) << 8 |
                       uint32_t(i + 2 < bin.size() ? uint8_t(bin[i + 2]) : 0);
    uri += kDigits[v >> 18];
    uri += kDigits[(v >> 12) & 63];
    uri += i + 1 < bin.size() ? kDigits[(v >> 6) & 63] : '=';
    uri += i + 2 < bin.size() ? kDigits[v & 63] : '=';
  }
  put(target, "embedded.gltf", BuildMorphGltf(character, uri));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus FOLDER\n");
    return 2;
  }
  folder = argv[1];
  localDataSeeds();
  sceneSeeds();
  objSeeds();
  selectionSeeds();
  gltfSeeds();
  return failed ? 1 : 0;
}
