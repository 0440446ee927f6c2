// glTF 2.0 morph targets: reading through tinygltf, writing by editing the file's own bytes.
#include "gltf_morph_file.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <tuple>

#include "json_spans.h"

namespace {

constexpr uint32_t kGlbMagic = 0x46546C67;  // "glTF"
constexpr uint32_t kChunkJson = 0x4E4F534A;
constexpr uint32_t kChunkBin = 0x004E4942;
// A POSITION accessor with more vertices is refused: the work on a vertex takes far more memory
// than its 12 bytes, so the file's size alone does not bound what a run would ask for.
constexpr size_t kMaxVertices = size_t(1) << 25;

const char* const kRefusedExtensions[][2] = {
    {"KHR_mesh_quantization", "quantized vertex data"},
    {"KHR_draco_mesh_compression", "Draco-compressed meshes"},
    {"EXT_meshopt_compression", "meshoptimizer-compressed buffers"},
};

uint32_t readU32(const std::string& bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

std::string u32Bytes(uint32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

size_t align4(size_t n) { return (n + 3) & ~size_t(3); }

std::string formatFloat(float f) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, f);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string base64(const unsigned char* data, size_t size) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < size; i += 3) {
    const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  if (i < size) {
    const uint32_t v = uint32_t(data[i]) << 16 | (i + 1 < size ? uint32_t(data[i + 1]) << 8 : 0);
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < size ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string percentDecoded(const std::string& uri) {
  std::string out;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      out += char(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

bool isDataUri(const std::string& uri) { return uri.rfind("data:", 0) == 0; }

int componentSize(int componentType) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_INT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
  }
}

bool isIndexType(int componentType) {
  return componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
         componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
         componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
}

uint32_t readIndex(const unsigned char* at, int componentType) {
  if (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE) return *at;
  if (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT) {
    uint16_t v;
    std::memcpy(&v, at, 2);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, at, 4);
  return v;
}

// A byte range of one buffer.
struct ByteSpan {
  int buffer = -1;
  size_t begin = 0;
  size_t end = 0;
  bool Overlaps(const ByteSpan& o) const { return buffer == o.buffer && begin < o.end && o.begin < end; }
};

// tinygltf reads buffers and images through these; `user_data` is the reader.
bool fileExists(const std::string& path, void*) { return GltfUriStaysInFolder(path); }
std::string expandFilePath(const std::string& path, void*) { return path; }
bool readWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* user) {
  if (!GltfUriStaysInFolder(path)) {
    if (err) *err = "refers to a file outside its folder";
    return false;
  }
  std::string bytes, error;
  if (!(*static_cast<const GltfExternalReader*>(user))(path, bytes, error)) {
    if (err) *err = error;
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}
bool writeWholeFile(std::string* err, const std::string&, const std::vector<unsigned char>&, void*) {
  if (err) *err = "not written here";
  return false;
}
// Images are carried through untouched: never decoded.
bool keepImageUndecoded(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
                        void*) {
  return true;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

const char* MorphAttributeName(MorphAttribute attribute) {
  switch (attribute) {
    case MorphAttribute::Position: return "POSITION";
    case MorphAttribute::Normal: return "NORMAL";
    case MorphAttribute::Tangent: return "TANGENT";
  }
  return "";
}

bool GltfUriStaysInFolder(const std::string& uri) {
  if (isDataUri(uri)) return true;
  const std::string path = percentDecoded(uri);
  if (path.empty() || path[0] == '/' || path[0] == '\\') return false;
  // A scheme or a drive letter ("http:", "C:").
  const size_t colon = path.find(':');
  if (colon != std::string::npos && path.find_first_of("/\\") > colon) return false;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t stop = std::min(path.find_first_of("/\\", start), path.size());
    if (path.compare(start, stop - start, "..") == 0) return false;
    start = stop + 1;
  }
  return path.find('\0') == std::string::npos;
}

struct GltfMorphFile::State {
  struct Primitive {
    int gltfPrimitive = -1;
    size_t vertexCount = 0;
    std::array<int, 3> base = {-1, -1, -1};
    // Per target, the accessor of each attribute or -1 (targets created here have none yet).
    std::vector<std::array<int, 3>> targets;
  };
  struct Mesh {
    int gltfMesh = -1;
    std::vector<Primitive> primitives;
    std::vector<std::string> names;
    int fileTargets = 0;          // targets the file held
    std::vector<int> likeTarget;  // per created target, the target whose attributes it takes
  };
  using SlotKey = std::tuple<int, int, int, int>;  // mesh, primitive, target, attribute

  std::string name;
  tinygltf::Model model;
  bool binary = false;
  std::string json;
  JsonSpans spans;
  std::vector<std::vector<unsigned char>> buffers;
  std::vector<bool> bufferChanged;
  bool glbBin = false;       // buffer 0 is the .glb's binary chunk
  std::string binPadding;    // the binary chunk's bytes past buffer 0's length
  std::string otherChunks;   // every chunk after the JSON chunk but buffer 0's, verbatim
  std::vector<Mesh> meshes;
  std::vector<int> accessorUses;
  std::set<int> sharedBytes;       // target accessors whose bytes something else reads too
  std::set<int> changedAccessors;  // written in place
  // Values waiting for an accessor of their own, kept as they will be written: a target stored
  // sparse keeps only the vertices it moves.
  struct Pending {
    bool sparse = false;
    std::vector<uint32_t> indices;  // sparse: the vertices listed, increasing
    std::vector<float> values;      // 3 a vertex (sparse: a listed vertex)
    std::array<float, 3> low = {0, 0, 0}, high = {0, 0, 0};  // over every vertex
  };
  std::map<SlotKey, Pending> pending;
  // The accessor a slot's new accessor takes after: its own, or for a created target its model's.
  int sourceAccessor(const SlotKey& key) const {
    const auto [mesh, primitive, target, attribute] = key;
    const Mesh& m = meshes[size_t(mesh)];
    const Primitive& p = m.primitives[size_t(primitive)];
    const int t = target >= m.fileTargets ? m.likeTarget[size_t(target - m.fileTargets)] : target;
    return p.targets[size_t(t)][size_t(attribute)];
  }
  static Pending makePending(std::vector<float> values, bool sparse);
  static std::vector<float> expand(const Pending& pending, size_t count);

  bool fail(std::string& r_error, const std::string& message) const {
    r_error = name + ": " + message;
    return false;
  }

  bool parseGlb(const std::string& bytes, std::string& r_error);
  bool checkAccessor(int index, int type, bool floatOnly, size_t count, const std::string& what,
                     std::string& r_error) const;
  bool checkSparseIndices(int index, std::string& r_error) const;
  // A float accessor's values are all finite numbers (JSON cannot carry the others in min and max).
  bool checkFinite(int index, const std::string& what, std::string& r_error) const;
  bool collectMeshes(std::string& r_error);
  // Whether tinygltf's model has an element for each one of the JSON's that the edits address by
  // index: a reader that skipped a malformed one would make them address the wrong element.
  bool modelMatchesJson(std::string& r_error) const;
  void findSharedBytes();
  std::vector<ByteSpan> accessorSpans(int index) const;

  // Values of a float accessor, `components` a vertex (zeros where it has no data).
  std::vector<float> readFloats(int accessor, int components) const;
  std::vector<float> sparseBase(int accessor) const;
  // The values of index accessor `accessor`, false when one is not below `vertexCount`.
  bool indexList(int accessor, size_t vertexCount, std::vector<int>& r_indices) const;
  bool writeInPlace(int accessor, const std::vector<float>& values);
  const std::array<int, 3>* slotAccessors(int mesh, int primitive, int target) const {
    const auto& targets = meshes[size_t(mesh)].primitives[size_t(primitive)].targets;
    return size_t(target) < targets.size() ? &targets[size_t(target)] : nullptr;
  }
};

bool GltfMorphFile::State::parseGlb(const std::string& bytes, std::string& r_error) {
  if (bytes.size() < 12) return fail(r_error, "truncated .glb header");
  if (readU32(bytes, 4) != 2) return fail(r_error, ".glb version " + std::to_string(readU32(bytes, 4)) + ", not 2");
  const size_t length = readU32(bytes, 8);
  if (length > bytes.size()) {
    return fail(r_error, "truncated .glb: its header says " + std::to_string(length) + " bytes, the file has " +
                             std::to_string(bytes.size()));
  }
  if (length < bytes.size()) return fail(r_error, "damaged .glb: bytes after the length its header gives");
  size_t at = 12;
  bool first = true;
  while (at < length) {
    if (length - at < 8) return fail(r_error, "damaged .glb: a chunk header is cut off at byte " + std::to_string(at));
    const size_t chunkLength = readU32(bytes, at);
    const uint32_t type = readU32(bytes, at + 4);
    if (chunkLength > length - at - 8) {
      return fail(r_error, "truncated .glb: a chunk at byte " + std::to_string(at) + " runs past the end of the file");
    }
    const size_t data = at + 8;
    if (first) {
      if (type != kChunkJson) return fail(r_error, "damaged .glb: the first chunk is not JSON");
      json = bytes.substr(data, chunkLength);
    } else if (type == kChunkBin && !glbBin && otherChunks.empty()) {
      // Buffer 0 is the binary chunk when it has no URI; which is known once the JSON is read, so
      // the chunk is kept whole here and split later.
      glbBin = true;
      binPadding = bytes.substr(data, chunkLength);
    } else {
      if (type == kChunkJson) return fail(r_error, "damaged .glb: a second JSON chunk");
      otherChunks += bytes.substr(at, 8 + chunkLength);
    }
    first = false;
    at = data + chunkLength;
  }
  if (first) return fail(r_error, "truncated .glb: no JSON chunk");
  return true;
}

bool GltfMorphFile::State::checkAccessor(int index, int type, bool floatOnly, size_t count, const std::string& what,
                                         std::string& r_error) const {
  if (index < 0 || size_t(index) >= model.accessors.size()) {
    return fail(r_error, what + ": accessor " + std::to_string(index) + " does not exist");
  }
  const tinygltf::Accessor& a = model.accessors[size_t(index)];
  const std::string at = what + " (accessor " + std::to_string(index) + ")";
  if (a.type != type) return fail(r_error, at + ": wrong element type");
  if (floatOnly && (a.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT || a.normalized)) {
    return fail(r_error, at + ": not 32-bit floats (quantized data is not supported)");
  }
  if (!floatOnly && !isIndexType(a.componentType)) return fail(r_error, at + ": indices must be unsigned integers");
  if (count != std::numeric_limits<size_t>::max() && a.count != count) {
    return fail(r_error, at + ": " + std::to_string(a.count) + " elements where the primitive has " +
                             std::to_string(count) + " vertices");
  }
  const size_t elementSize = size_t(componentSize(a.componentType)) * size_t(type == TINYGLTF_TYPE_SCALAR ? 1 : type);
  auto viewRange = [&](int view, size_t offset, size_t stride, size_t n, size_t element, const std::string& part) {
    if (view < 0 || size_t(view) >= model.bufferViews.size()) {
      return fail(r_error, at + ": " + part + "buffer view " + std::to_string(view) + " does not exist");
    }
    const tinygltf::BufferView& v = model.bufferViews[size_t(view)];
    if (v.buffer < 0 || size_t(v.buffer) >= buffers.size()) {
      return fail(r_error, at + ": buffer view " + std::to_string(view) + " names a buffer that does not exist");
    }
    const size_t bufferSize = buffers[size_t(v.buffer)].size();
    if (v.byteOffset > bufferSize || v.byteLength > bufferSize - v.byteOffset) {
      return fail(r_error, "buffer view " + std::to_string(view) + " lies outside its buffer");
    }
    if (stride < element || stride > 256) return fail(r_error, at + ": bad byte stride");
    if (n > 0 && (offset > v.byteLength || (n - 1) * stride + element > v.byteLength - offset)) {
      return fail(r_error, at + ": " + part + "data lies outside its buffer view");
    }
    return true;
  };
  if (a.count > kMaxVertices * 4) return fail(r_error, at + ": too many elements");
  if (a.bufferView >= 0) {
    const size_t view = size_t(a.bufferView);
    const size_t stride = view < model.bufferViews.size() && model.bufferViews[view].byteStride != 0
                              ? model.bufferViews[view].byteStride
                              : elementSize;
    if (!viewRange(a.bufferView, a.byteOffset, stride, a.count, elementSize, "")) return false;
  }
  if (a.sparse.isSparse) {
    if (!floatOnly) return fail(r_error, at + ": sparse indices are not supported");
    const int n = a.sparse.count;
    if (n < 1 || size_t(n) > a.count) return fail(r_error, at + ": sparse count out of range");
    if (!isIndexType(a.sparse.indices.componentType)) return fail(r_error, at + ": bad sparse index type");
    if (a.sparse.indices.byteOffset < 0 || a.sparse.values.byteOffset < 0) return fail(r_error, at + ": negative offset");
    const size_t indexSize = size_t(componentSize(a.sparse.indices.componentType));
    if (!viewRange(a.sparse.indices.bufferView, size_t(a.sparse.indices.byteOffset), indexSize, size_t(n), indexSize,
                   "sparse indices' ") ||
        !viewRange(a.sparse.values.bufferView, size_t(a.sparse.values.byteOffset), elementSize, size_t(n), elementSize,
                   "sparse values' ")) {
      return false;
    }
    return checkSparseIndices(index, r_error);
  }
  return true;
}

bool GltfMorphFile::State::checkSparseIndices(int index, std::string& r_error) const {
  const tinygltf::Accessor& a = model.accessors[size_t(index)];
  const tinygltf::BufferView& v = model.bufferViews[size_t(a.sparse.indices.bufferView)];
  const unsigned char* at = buffers[size_t(v.buffer)].data() + v.byteOffset + size_t(a.sparse.indices.byteOffset);
  const size_t size = size_t(componentSize(a.sparse.indices.componentType));
  int64_t previous = -1;
  for (int k = 0; k < a.sparse.count; ++k) {
    const uint32_t i = readIndex(at + size_t(k) * size, a.sparse.indices.componentType);
    if (int64_t(i) <= previous || i >= a.count) {
      return fail(r_error, "accessor " + std::to_string(index) + ": sparse indices must increase and stay below its count");
    }
    previous = i;
  }
  return true;
}

bool GltfMorphFile::State::checkFinite(int index, const std::string& what, std::string& r_error) const {
  for (float v : readFloats(index, model.accessors[size_t(index)].type)) {
    if (!std::isfinite(v)) return fail(r_error, what + " (accessor " + std::to_string(index) + ") holds a value that is not a finite number");
  }
  return true;
}

std::vector<ByteSpan> GltfMorphFile::State::accessorSpans(int index) const {
  std::vector<ByteSpan> spans;
  const tinygltf::Accessor& a = model.accessors[size_t(index)];
  const size_t element = size_t(componentSize(a.componentType)) * size_t(a.type == TINYGLTF_TYPE_SCALAR ? 1 : a.type);
  auto add = [&](int view, size_t offset, size_t bytes) {
    if (view < 0 || size_t(view) >= model.bufferViews.size() || bytes == 0) return;
    const tinygltf::BufferView& v = model.bufferViews[size_t(view)];
    spans.push_back({v.buffer, v.byteOffset + offset, v.byteOffset + offset + bytes});
  };
  // Accessors nothing here reads were never checked: their views may not exist, and a span of
  // theirs is only ever compared, never read.
  if (a.bufferView >= 0 && size_t(a.bufferView) < model.bufferViews.size() && a.count > 0) {
    const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
    const size_t stride = v.byteStride != 0 ? v.byteStride : element;
    add(a.bufferView, a.byteOffset, (a.count - 1) * stride + element);
  }
  if (a.sparse.isSparse && a.sparse.count > 0) {
    add(a.sparse.indices.bufferView, size_t(a.sparse.indices.byteOffset),
        size_t(a.sparse.count) * size_t(componentSize(a.sparse.indices.componentType)));
    add(a.sparse.values.bufferView, size_t(a.sparse.values.byteOffset), size_t(a.sparse.count) * element);
  }
  return spans;
}

bool GltfMorphFile::State::modelMatchesJson(std::string& r_error) const {
  const int root = spans.Root();
  auto length = [&](int node) { return node >= 0 && spans.At(node).kind == JsonSpans::Kind::Array ? spans.At(node).children.size() : 0; };
  const std::pair<const char*, size_t> arrays[] = {{"accessors", model.accessors.size()}, {"bufferViews", model.bufferViews.size()},
                                                   {"buffers", model.buffers.size()}, {"meshes", model.meshes.size()},
                                                   {"nodes", model.nodes.size()}};
  for (const auto& [name, count] : arrays) {
    if (length(spans.Member(root, name)) != count) return fail(r_error, std::string("an element of ") + name + " is not valid glTF");
  }
  const int meshes = spans.Member(root, "meshes");
  for (size_t m = 0; m < model.meshes.size(); ++m) {
    const int primitives = spans.Member(spans.Element(meshes, m), "primitives");
    if (length(primitives) != model.meshes[m].primitives.size()) {
      return fail(r_error, "mesh " + std::to_string(m) + ": a primitive is not valid glTF");
    }
    for (size_t p = 0; p < model.meshes[m].primitives.size(); ++p) {
      const int targets = spans.Member(spans.Element(primitives, p), "targets");
      const auto& modelTargets = model.meshes[m].primitives[p].targets;
      bool same = length(targets) == modelTargets.size();
      for (size_t t = 0; t < modelTargets.size() && same; ++t) {
        for (int k = 0; k < 3; ++k) {
          const char* name = MorphAttributeName(MorphAttribute(k));
          same = same && (spans.Member(spans.Element(targets, t), name) >= 0) == (modelTargets[t].count(name) > 0);
        }
      }
      if (!same) {
        return fail(r_error, "mesh " + std::to_string(m) + ", primitive " + std::to_string(p) + ": a morph target is not valid glTF");
      }
    }
  }
  return true;
}

bool GltfMorphFile::State::collectMeshes(std::string& r_error) {
  accessorUses.assign(model.accessors.size(), 0);
  auto use = [&](int a) {
    if (a >= 0 && size_t(a) < accessorUses.size()) ++accessorUses[size_t(a)];
  };
  for (const tinygltf::Skin& skin : model.skins) use(skin.inverseBindMatrices);
  for (const tinygltf::Animation& animation : model.animations) {
    for (const tinygltf::AnimationSampler& sampler : animation.samplers) {
      use(sampler.input);
      use(sampler.output);
    }
  }
  for (size_t m = 0; m < model.meshes.size(); ++m) {
    const tinygltf::Mesh& gm = model.meshes[m];
    Mesh mesh;
    mesh.gltfMesh = int(m);
    const std::string meshName = "mesh " + std::to_string(m) + (gm.name.empty() ? "" : " (" + gm.name + ")");
    for (size_t p = 0; p < gm.primitives.size(); ++p) {
      const tinygltf::Primitive& gp = gm.primitives[p];
      for (const auto& [attribute, accessor] : gp.attributes) use(accessor);
      use(gp.indices);
      for (const auto& target : gp.targets) {
        for (const auto& [attribute, accessor] : target) use(accessor);
      }
      if (p > 0 && gp.targets.size() != gm.primitives[0].targets.size()) {
        return fail(r_error, meshName + ": its primitives have different numbers of morph targets");
      }
      const auto position = gp.attributes.find("POSITION");
      if (position == gp.attributes.end()) continue;
      const std::string where = meshName + ", primitive " + std::to_string(p);
      if (!checkAccessor(position->second, TINYGLTF_TYPE_VEC3, true, std::numeric_limits<size_t>::max(),
                         where + " POSITION", r_error) ||
          !checkFinite(position->second, where + " POSITION", r_error)) {
        return false;
      }
      Primitive prim;
      prim.gltfPrimitive = int(p);
      prim.vertexCount = model.accessors[size_t(position->second)].count;
      if (prim.vertexCount > kMaxVertices) return fail(r_error, where + ": too many vertices");
      for (int k = 0; k < 3; ++k) {
        const auto found = gp.attributes.find(MorphAttributeName(MorphAttribute(k)));
        if (found == gp.attributes.end()) continue;
        if (!checkAccessor(found->second, k == 2 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, true, prim.vertexCount,
                           where + " " + found->first, r_error) ||
            !checkFinite(found->second, where + " " + found->first, r_error)) {
          return false;
        }
        prim.base[size_t(k)] = found->second;
      }
      if (gp.indices >= 0) {
        if (!checkAccessor(gp.indices, TINYGLTF_TYPE_SCALAR, false, std::numeric_limits<size_t>::max(),
                           where + " indices", r_error)) {
          return false;
        }
        std::vector<int> corners;
        if (!indexList(gp.indices, prim.vertexCount, corners)) {
          return fail(r_error, where + ": an index is not below its " + std::to_string(prim.vertexCount) + " vertices");
        }
      }
      for (size_t t = 0; t < gp.targets.size(); ++t) {
        std::array<int, 3> slots = {-1, -1, -1};
        for (int k = 0; k < 3; ++k) {
          const auto found = gp.targets[t].find(MorphAttributeName(MorphAttribute(k)));
          if (found == gp.targets[t].end()) continue;
          const std::string what = where + " target " + std::to_string(t) + " " + found->first;
          if (!checkAccessor(found->second, TINYGLTF_TYPE_VEC3, true, prim.vertexCount, what, r_error) ||
              !checkFinite(found->second, what, r_error)) {
            return false;
          }
          slots[size_t(k)] = found->second;
        }
        prim.targets.push_back(slots);
      }
      mesh.primitives.push_back(std::move(prim));
    }
    mesh.fileTargets = gm.primitives.empty() ? 0 : int(gm.primitives[0].targets.size());
    if (gm.extras.Has("targetNames")) {
      const tinygltf::Value& names = gm.extras.Get("targetNames");
      if (!names.IsArray() || int(names.ArrayLen()) != mesh.fileTargets) {
        return fail(r_error, meshName + ": extras.targetNames does not name each of its " +
                                 std::to_string(mesh.fileTargets) + " morph targets");
      }
      for (size_t i = 0; i < names.ArrayLen(); ++i) {
        if (!names.Get(int(i)).IsString()) return fail(r_error, meshName + ": extras.targetNames holds a non-string");
        mesh.names.push_back(names.Get(int(i)).Get<std::string>());
      }
    } else {
      mesh.names.assign(size_t(mesh.fileTargets), std::string());
    }
    meshes.push_back(std::move(mesh));
  }
  return true;
}

bool GltfMorphFile::State::indexList(int accessor, size_t vertexCount, std::vector<int>& r_indices) const {
  const tinygltf::Accessor& a = model.accessors[size_t(accessor)];
  r_indices.assign(a.count, 0);
  if (a.bufferView < 0) return true;
  const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
  const size_t size = size_t(componentSize(a.componentType));
  const size_t stride = v.byteStride != 0 ? v.byteStride : size;
  const unsigned char* at = buffers[size_t(v.buffer)].data() + v.byteOffset + a.byteOffset;
  for (size_t i = 0; i < a.count; ++i) {
    const uint32_t index = readIndex(at + i * stride, a.componentType);
    if (index >= vertexCount) return false;
    r_indices[i] = int(index);
  }
  return true;
}

std::vector<float> GltfMorphFile::State::sparseBase(int accessor) const {
  const tinygltf::Accessor& a = model.accessors[size_t(accessor)];
  const size_t components = size_t(a.type);
  if (a.bufferView < 0) return std::vector<float>(a.count * components, 0.0f);
  const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
  const size_t element = 4 * components;
  const size_t stride = v.byteStride != 0 ? v.byteStride : element;
  const unsigned char* at = buffers[size_t(v.buffer)].data() + v.byteOffset + a.byteOffset;
  if (stride == element && a.count > 0) {
    std::vector<float> values(a.count * components);
    std::memcpy(values.data(), at, values.size() * sizeof(float));
    return values;
  }
  std::vector<float> values(a.count * components);
  for (size_t i = 0; i < a.count; ++i) std::memcpy(&values[i * components], at + i * stride, element);
  return values;
}

std::vector<float> GltfMorphFile::State::readFloats(int accessor, int components) const {
  std::vector<float> values = sparseBase(accessor);
  const tinygltf::Accessor& a = model.accessors[size_t(accessor)];
  if (a.sparse.isSparse) {
    const tinygltf::BufferView& iv = model.bufferViews[size_t(a.sparse.indices.bufferView)];
    const tinygltf::BufferView& vv = model.bufferViews[size_t(a.sparse.values.bufferView)];
    const unsigned char* indices = buffers[size_t(iv.buffer)].data() + iv.byteOffset + size_t(a.sparse.indices.byteOffset);
    const unsigned char* data = buffers[size_t(vv.buffer)].data() + vv.byteOffset + size_t(a.sparse.values.byteOffset);
    const size_t indexSize = size_t(componentSize(a.sparse.indices.componentType));
    for (int k = 0; k < a.sparse.count; ++k) {
      const uint32_t i = readIndex(indices + size_t(k) * indexSize, a.sparse.indices.componentType);
      std::memcpy(&values[size_t(i) * size_t(components)], data + size_t(k) * size_t(components) * 4,
                  size_t(components) * 4);
    }
  }
  return values;
}

void GltfMorphFile::State::findSharedBytes() {
  for (const Mesh& mesh : meshes) {
    for (const Primitive& prim : mesh.primitives) {
      for (const auto& slots : prim.targets) {
        for (int accessor : slots) {
          if (accessor < 0 || sharedBytes.count(accessor)) continue;
          bool shared = accessorUses[size_t(accessor)] != 1;
          const std::vector<ByteSpan> mine = accessorSpans(accessor);
          std::set<int> myViews;
          const tinygltf::Accessor& a = model.accessors[size_t(accessor)];
          for (int view : {a.bufferView, a.sparse.isSparse ? a.sparse.indices.bufferView : -1,
                           a.sparse.isSparse ? a.sparse.values.bufferView : -1}) {
            if (view >= 0) myViews.insert(view);
          }
          // Its own parts (data, sparse indices, sparse values) on the same bytes: writing one
          // would change another.
          for (size_t x = 0; x < mine.size(); ++x) {
            for (size_t y = x + 1; y < mine.size(); ++y) shared = shared || mine[x].Overlaps(mine[y]);
          }
          // Another accessor's data, or a buffer view holding something no accessor reads (an image).
          for (size_t other = 0; other < model.accessors.size() && !shared; ++other) {
            if (int(other) == accessor) continue;
            for (const ByteSpan& theirs : accessorSpans(int(other))) {
              for (const ByteSpan& span : mine) shared = shared || span.Overlaps(theirs);
            }
          }
          for (size_t view = 0; view < model.bufferViews.size() && !shared; ++view) {
            if (myViews.count(int(view))) continue;
            const tinygltf::BufferView& v = model.bufferViews[view];
            const ByteSpan theirs{v.buffer, v.byteOffset, v.byteOffset + v.byteLength};
            for (const ByteSpan& span : mine) {
              // Views other accessors read are judged by the accessors' own bytes above.
              if (!span.Overlaps(theirs)) continue;
              bool read = false;
              for (const tinygltf::Accessor& b : model.accessors) {
                read = read || b.bufferView == int(view) ||
                       (b.sparse.isSparse && (b.sparse.indices.bufferView == int(view) || b.sparse.values.bufferView == int(view)));
              }
              shared = shared || !read;
            }
          }
          if (shared) sharedBytes.insert(accessor);
        }
      }
    }
  }
}

bool GltfMorphFile::State::writeInPlace(int accessor, const std::vector<float>& values) {
  if (sharedBytes.count(accessor)) return false;
  const tinygltf::Accessor& a = model.accessors[size_t(accessor)];
  if (!a.sparse.isSparse) {
    if (a.bufferView < 0) return false;
    const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
    const size_t stride = v.byteStride != 0 ? v.byteStride : 12;
    unsigned char* at = buffers[size_t(v.buffer)].data() + v.byteOffset + a.byteOffset;
    for (size_t i = 0; i < a.count; ++i) std::memcpy(at + i * stride, &values[i * 3], 12);
    bufferChanged[size_t(v.buffer)] = true;
    changedAccessors.insert(accessor);
    return true;
  }
  // A sparse target keeps its bytes only while the same vertices differ from its base.
  const std::vector<float> base = sparseBase(accessor);
  const tinygltf::BufferView& iv = model.bufferViews[size_t(a.sparse.indices.bufferView)];
  const unsigned char* indices = buffers[size_t(iv.buffer)].data() + iv.byteOffset + size_t(a.sparse.indices.byteOffset);
  const size_t indexSize = size_t(componentSize(a.sparse.indices.componentType));
  size_t k = 0;
  for (size_t i = 0; i < a.count; ++i) {
    const bool differs = std::memcmp(&values[i * 3], &base[i * 3], 12) != 0;
    const bool listed = k < size_t(a.sparse.count) &&
                        readIndex(indices + k * indexSize, a.sparse.indices.componentType) == uint32_t(i);
    if (differs != listed) return false;
    k += listed ? 1 : 0;
  }
  const tinygltf::BufferView& vv = model.bufferViews[size_t(a.sparse.values.bufferView)];
  unsigned char* data = buffers[size_t(vv.buffer)].data() + vv.byteOffset + size_t(a.sparse.values.byteOffset);
  for (int n = 0; n < a.sparse.count; ++n) {
    const uint32_t i = readIndex(indices + size_t(n) * indexSize, a.sparse.indices.componentType);
    std::memcpy(data + size_t(n) * 12, &values[size_t(i) * 3], 12);
  }
  bufferChanged[size_t(vv.buffer)] = true;
  changedAccessors.insert(accessor);
  return true;
}

GltfMorphFile::State::Pending GltfMorphFile::State::makePending(std::vector<float> values, bool sparse) {
  Pending p;
  p.sparse = sparse;
  const size_t count = values.size() / 3;
  for (size_t c = 0; c < 3 && count > 0; ++c) p.low[c] = p.high[c] = values[c];
  for (size_t i = 0; i < count; ++i) {
    for (size_t c = 0; c < 3; ++c) {
      const float v = values[i * 3 + c];
      p.low[c] = v < p.low[c] ? v : p.low[c];
      p.high[c] = v > p.high[c] ? v : p.high[c];
    }
  }
  if (!sparse) {
    p.values = std::move(values);
    return p;
  }
  static const float kZero[3] = {0, 0, 0};
  for (size_t i = 0; i < count; ++i) {
    // Bits, not values: a -0 displacement keeps a -0 base's sign.
    if (std::memcmp(&values[i * 3], kZero, sizeof kZero) == 0) continue;
    p.indices.push_back(uint32_t(i));
    p.values.insert(p.values.end(), &values[i * 3], &values[i * 3] + 3);
  }
  return p;
}

std::vector<float> GltfMorphFile::State::expand(const Pending& pending, size_t count) {
  if (!pending.sparse) return pending.values;
  std::vector<float> values(count * 3, 0.0f);
  for (size_t k = 0; k < pending.indices.size(); ++k) {
    std::memcpy(&values[size_t(pending.indices[k]) * 3], &pending.values[k * 3], 12);
  }
  return values;
}

GltfMorphFile::GltfMorphFile() : s_(std::make_unique<State>()) {}
GltfMorphFile::~GltfMorphFile() = default;

bool GltfMorphFile::Load(std::string bytes, const std::string& name, const GltfExternalReader& readExternal,
                         std::string& r_error) {
  s_ = std::make_unique<State>();
  State& s = *s_;
  s.name = name;
  s.binary = bytes.size() >= 4 && readU32(bytes, 0) == kGlbMagic;
  if (s.binary) {
    if (!s.parseGlb(bytes, r_error)) return false;
  } else {
    s.json = bytes;
  }
  std::string error;
  if (!s.spans.Parse(s.json, error)) return s.fail(r_error, "not valid JSON: " + error);
  const int root = s.spans.Root();
  if (s.spans.At(root).kind != JsonSpans::Kind::Object) return s.fail(r_error, "the JSON is not an object");
  // Refused before anything else is read, whatever else may be wrong with the file.
  // Every member of the root is searched, duplicates too: readers disagree on which one counts.
  auto mentions = [&](const std::string& extension) {
    const std::string quoted = "\"" + extension + "\"";
    for (const auto& [key, node] : s.spans.At(root).children) {
      if (key != "extensionsUsed" && key != "extensionsRequired" && key != "meshes" && key != "bufferViews") continue;
      const JsonSpans::Node& n = s.spans.At(node);
      if (std::string_view(s.json).substr(n.begin, n.end - n.begin).find(quoted) != std::string_view::npos) return true;
    }
    return false;
  };
  for (const auto& [extension, what] : kRefusedExtensions) {
    if (mentions(extension)) {
      return s.fail(r_error, std::string("uses ") + extension + " (" + what +
                                 "), which velomorph cannot change: export the file without it");
    }
  }
  for (const char* list : {"buffers", "images"}) {
    const int array = s.spans.Member(root, list);
    if (array < 0 || s.spans.At(array).kind != JsonSpans::Kind::Array) continue;
    for (const auto& element : s.spans.At(array).children) {
      const int uri = s.spans.Member(element.second, "uri");
      if (uri < 0 || s.spans.At(uri).kind != JsonSpans::Kind::String) continue;
      const JsonSpans::Node& u = s.spans.At(uri);
      const std::string text = s.json.substr(u.begin + 1, u.end - u.begin - 2);
      if (!GltfUriStaysInFolder(text)) {
        return s.fail(r_error, std::string(list) + " URI \"" + text +
                                   "\" points outside the file's folder; only files beside it or below it are read");
      }
    }
  }

  tinygltf::TinyGLTF loader;
  tinygltf::FsCallbacks fs{&fileExists, &expandFilePath, &readWholeFile, &writeWholeFile,
                           const_cast<GltfExternalReader*>(&readExternal)};
  loader.SetFsCallbacks(fs);
  loader.SetImageLoader(&keepImageUndecoded, nullptr);
  std::string warn;
  const bool loaded =
      s.binary ? loader.LoadBinaryFromMemory(&s.model, &error, &warn, reinterpret_cast<const unsigned char*>(bytes.data()),
                                             unsigned(bytes.size()), "")
               : loader.LoadASCIIFromString(&s.model, &error, &warn, s.json.data(), unsigned(s.json.size()), "");
  if (!loaded) return s.fail(r_error, firstLine(error.empty() ? "not a valid glTF 2.0 file" : error));
  { std::string done = std::move(bytes); }
  if (s.model.buffers.size() > 0 && s.binary && s.glbBin && s.model.buffers[0].uri.empty()) {
    if (s.model.buffers[0].data.size() > s.binPadding.size()) return s.fail(r_error, "buffer 0 is longer than the binary chunk");
    s.binPadding.erase(0, s.model.buffers[0].data.size());
  } else if (s.glbBin) {
    // The binary chunk is not buffer 0's: kept as it was.
    s.otherChunks = u32Bytes(uint32_t(s.binPadding.size())) + u32Bytes(kChunkBin) + s.binPadding + s.otherChunks;
    s.binPadding.clear();
    s.glbBin = false;
  }
  for (tinygltf::Buffer& buffer : s.model.buffers) {
    s.buffers.push_back(std::move(buffer.data));
    buffer.data = {};
  }
  s.bufferChanged.assign(s.buffers.size(), false);
  if (!s.modelMatchesJson(r_error) || !s.collectMeshes(r_error)) return false;
  s.findSharedBytes();
  return true;
}

int GltfMorphFile::MeshCount() const { return int(s_->meshes.size()); }
int GltfMorphFile::PrimitiveCount(int mesh) const { return int(s_->meshes[size_t(mesh)].primitives.size()); }
int GltfMorphFile::TargetCount(int mesh) const { return int(s_->meshes[size_t(mesh)].names.size()); }
std::string GltfMorphFile::TargetName(int mesh, int target) const { return s_->meshes[size_t(mesh)].names[size_t(target)]; }
std::string GltfMorphFile::MeshName(int mesh) const {
  return s_->model.meshes[size_t(s_->meshes[size_t(mesh)].gltfMesh)].name;
}
size_t GltfMorphFile::VertexCount(int mesh, int primitive) const {
  return s_->meshes[size_t(mesh)].primitives[size_t(primitive)].vertexCount;
}

bool GltfMorphFile::HasTarget(int mesh, int primitive, int target, MorphAttribute attribute) const {
  const State::Mesh& m = s_->meshes[size_t(mesh)];
  if (target >= m.fileTargets) {
    return s_->pending.count({mesh, primitive, target, int(attribute)}) ||
           HasTarget(mesh, primitive, m.likeTarget[size_t(target - m.fileTargets)], attribute);
  }
  return (*s_->slotAccessors(mesh, primitive, target))[size_t(attribute)] >= 0 ||
         s_->pending.count({mesh, primitive, target, int(attribute)});
}

std::vector<float> GltfMorphFile::Base(int mesh, int primitive, MorphAttribute attribute) const {
  const int accessor = s_->meshes[size_t(mesh)].primitives[size_t(primitive)].base[size_t(attribute)];
  if (accessor < 0) return {};
  return s_->readFloats(accessor, attribute == MorphAttribute::Tangent ? 4 : 3);
}

std::vector<int> GltfMorphFile::Triangles(int mesh, int primitive) const {
  const State::Primitive& prim = s_->meshes[size_t(mesh)].primitives[size_t(primitive)];
  const tinygltf::Primitive& gp =
      s_->model.meshes[size_t(s_->meshes[size_t(mesh)].gltfMesh)].primitives[size_t(prim.gltfPrimitive)];
  std::vector<int> corners;
  if (gp.indices >= 0) {
    s_->indexList(gp.indices, prim.vertexCount, corners);
  } else {
    corners.resize(prim.vertexCount);
    for (size_t i = 0; i < corners.size(); ++i) corners[i] = int(i);
  }
  std::vector<int> triangles;
  const int mode = gp.mode < 0 ? TINYGLTF_MODE_TRIANGLES : gp.mode;
  auto add = [&](int a, int b, int c) { triangles.insert(triangles.end(), {a, b, c}); };
  if (mode == TINYGLTF_MODE_TRIANGLES) {
    for (size_t i = 0; i + 2 < corners.size(); i += 3) add(corners[i], corners[i + 1], corners[i + 2]);
  } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
    for (size_t i = 0; i + 2 < corners.size(); ++i) {
      if (i % 2 == 0) add(corners[i], corners[i + 1], corners[i + 2]);
      else add(corners[i + 1], corners[i], corners[i + 2]);
    }
  } else if (mode == TINYGLTF_MODE_TRIANGLE_FAN) {
    for (size_t i = 1; i + 1 < corners.size(); ++i) add(corners[0], corners[i], corners[i + 1]);
  }
  return triangles;
}

std::vector<float> GltfMorphFile::Displacement(int mesh, int primitive, int target, MorphAttribute attribute) const {
  const auto pending = s_->pending.find({mesh, primitive, target, int(attribute)});
  if (pending != s_->pending.end()) return State::expand(pending->second, VertexCount(mesh, primitive));
  const size_t n = VertexCount(mesh, primitive);
  const auto* slots = s_->slotAccessors(mesh, primitive, target);
  if (slots == nullptr || (*slots)[size_t(attribute)] < 0) return std::vector<float>(n * 3, 0.0f);
  return s_->readFloats((*slots)[size_t(attribute)], 3);
}

int GltfMorphFile::AddTarget(int mesh, const std::string& name, int like) {
  State::Mesh& m = s_->meshes[size_t(mesh)];
  m.names.push_back(name);
  m.likeTarget.push_back(like >= m.fileTargets ? m.likeTarget[size_t(like - m.fileTargets)] : like);
  return int(m.names.size()) - 1;
}

void GltfMorphFile::SetDisplacement(int mesh, int primitive, int target, MorphAttribute attribute,
                                    std::vector<float> values) {
  const std::vector<float> current = Displacement(mesh, primitive, target, attribute);
  const bool created = target >= s_->meshes[size_t(mesh)].fileTargets;
  if (!created && current.size() == values.size() &&
      std::memcmp(current.data(), values.data(), values.size() * sizeof(float)) == 0) {
    return;
  }
  const State::SlotKey key{mesh, primitive, target, int(attribute)};
  const auto* slots = s_->slotAccessors(mesh, primitive, target);
  if (slots != nullptr && (*slots)[size_t(attribute)] >= 0 && !s_->pending.count(key) &&
      s_->writeInPlace((*slots)[size_t(attribute)], values)) {
    return;
  }
  const int source = s_->sourceAccessor(key);
  s_->pending[key] =
      State::makePending(std::move(values), source >= 0 && s_->model.accessors[size_t(source)].sparse.isSparse);
}

bool GltfMorphFile::Restructured() const {
  if (!s_->pending.empty()) return true;
  for (const State::Mesh& m : s_->meshes) {
    if (int(m.names.size()) != m.fileTargets) return true;
  }
  return false;
}

std::vector<std::string> GltfMorphFile::ExternalReferences() const {
  std::vector<std::string> uris;
  for (size_t b = 0; b < s_->model.buffers.size(); ++b) {
    const std::string& uri = s_->model.buffers[b].uri;
    if (!uri.empty() && !isDataUri(uri) && !s_->bufferChanged[b]) uris.push_back(uri);
  }
  for (const tinygltf::Image& image : s_->model.images) {
    if (!image.uri.empty() && !isDataUri(image.uri)) uris.push_back(image.uri);
  }
  return uris;
}

namespace {

// The "min" and "max" members of VEC3 values, or "" when a bound is not a finite number.
std::string minMaxMembers(const std::vector<float>& values, size_t count) {
  std::array<float, 3> low = {0, 0, 0}, high = {0, 0, 0};
  if (count > 0) {
    for (size_t c = 0; c < 3; ++c) low[c] = high[c] = values[c];
  }
  for (size_t i = 1; i < count; ++i) {
    for (size_t c = 0; c < 3; ++c) {
      const float v = values[i * 3 + c];
      low[c] = v < low[c] ? v : low[c];
      high[c] = v > high[c] ? v : high[c];
    }
  }
  for (size_t c = 0; c < 3; ++c) {
    if (!std::isfinite(low[c]) || !std::isfinite(high[c])) return std::string();
  }
  auto list = [](const std::array<float, 3>& v) {
    return "[" + formatFloat(v[0]) + "," + formatFloat(v[1]) + "," + formatFloat(v[2]) + "]";
  };
  return "\"min\":" + list(low) + ",\"max\":" + list(high);
}

}  // namespace

bool GltfMorphFile::Write(const std::function<bool(std::string_view)>& put) const {
  const State& s = *s_;
  // JSON has no spelling for infinities and NaN: bounds that are not finite are not written.
  bool finite = true;
  const JsonSpans& j = s.spans;
  const int root = j.Root();
  std::vector<TextEdit> edits;
  auto replace = [&](int node, std::string text) { edits.push_back({j.At(node).begin, j.At(node).end, std::move(text)}); };
  // Text added at the end of an array or object, and arrays the root lacks.
  std::map<int, std::string> added;
  std::map<std::string, std::string> rootArrays;
  auto append = [&](int container, const std::string& text) {
    if (container < 0) return;
    std::string& a = added[container];
    if (!a.empty() || !j.At(container).children.empty()) a += ",";
    a += text;
  };
  auto appendToRootArray = [&](const char* name, const std::string& element) {
    const int array = j.Member(root, name);
    if (array >= 0 && j.At(array).kind == JsonSpans::Kind::Array) {
      append(array, element);
    } else {
      std::string& a = rootArrays[name];
      a += (a.empty() ? "" : ",") + element;
    }
  };

  for (int accessor : s.changedAccessors) {
    const int node = j.Element(j.Member(root, "accessors"), size_t(accessor));
    const int low = j.Member(node, "min"), high = j.Member(node, "max");
    if (low < 0 || high < 0) continue;
    const std::string members = minMaxMembers(s.readFloats(accessor, 3), s.model.accessors[size_t(accessor)].count);
    if (members.empty()) {
      finite = false;
      continue;
    }
    const size_t split = members.find(",\"max\":");
    replace(low, members.substr(6, split - 6));
    replace(high, members.substr(split + 7));
  }

  // New accessors and the data they read, appended: pieces of the values held, each a whole number
  // of words, so every view stays aligned.
  std::vector<std::string_view> data;
  size_t dataSize = 0;
  const size_t dataBase = s.glbBin ? align4(s.buffers[0].size()) : 0;
  const int dataBuffer = s.glbBin ? 0 : int(s.model.buffers.size());
  int nextView = int(s.model.bufferViews.size());
  int nextAccessor = int(s.model.accessors.size());
  auto addView = [&](const void* bytes, size_t size) {
    appendToRootArray("bufferViews", "{\"buffer\":" + std::to_string(dataBuffer) + ",\"byteOffset\":" +
                                         std::to_string(dataBase + dataSize) + ",\"byteLength\":" + std::to_string(size) + "}");
    data.emplace_back(static_cast<const char*>(bytes), size);
    dataSize += size;
    return nextView++;
  };
  // A new accessor of `pending`'s values, or of zeros when it is null.
  auto addAccessor = [&](const State::Pending* pending, size_t count) {
    std::string text = "{\"componentType\":5126,\"count\":" + std::to_string(count) + ",\"type\":\"VEC3\",";
    if (pending != nullptr && !pending->sparse) {
      text += "\"bufferView\":" + std::to_string(addView(pending->values.data(), pending->values.size() * sizeof(float))) + ",";
    } else if (pending != nullptr && !pending->indices.empty()) {
      const int indexView = addView(pending->indices.data(), pending->indices.size() * 4);
      const int valueView = addView(pending->values.data(), pending->values.size() * 4);
      text += "\"sparse\":{\"count\":" + std::to_string(pending->indices.size()) + ",\"indices\":{\"bufferView\":" +
              std::to_string(indexView) + ",\"componentType\":5125},\"values\":{\"bufferView\":" +
              std::to_string(valueView) + "}},";
    }
    auto list = [&](const std::array<float, 3>& v) {
      for (float f : v) finite = finite && std::isfinite(f);
      return "[" + formatFloat(v[0]) + "," + formatFloat(v[1]) + "," + formatFloat(v[2]) + "]";
    };
    text += pending == nullptr ? "\"min\":[0,0,0],\"max\":[0,0,0]"
                               : "\"min\":" + list(pending->low) + ",\"max\":" + list(pending->high);
    appendToRootArray("accessors", text + "}");
    return nextAccessor++;
  };
  auto primitiveNode = [&](const State::Mesh& m, const State::Primitive& p) {
    return j.Element(j.Member(j.Element(j.Member(root, "meshes"), size_t(m.gltfMesh)), "primitives"),
                     size_t(p.gltfPrimitive));
  };

  std::map<std::tuple<int, int, int>, std::array<int, 3>> createdAccessors;
  for (const auto& [key, values] : s.pending) {
    const auto [mesh, primitive, target, attribute] = key;
    const State::Mesh& m = s.meshes[size_t(mesh)];
    const State::Primitive& p = m.primitives[size_t(primitive)];
    const bool created = target >= m.fileTargets;
    const int index = addAccessor(&values, p.vertexCount);
    if (created) {
      auto& slots = createdAccessors.try_emplace({mesh, primitive, target}, std::array<int, 3>{-1, -1, -1}).first->second;
      slots[size_t(attribute)] = index;
      continue;
    }
    const int targetNode = j.Element(j.Member(primitiveNode(m, p), "targets"), size_t(target));
    const int existing = j.Member(targetNode, MorphAttributeName(MorphAttribute(attribute)));
    if (existing >= 0) replace(existing, std::to_string(index));
    else append(targetNode, std::string("\"") + MorphAttributeName(MorphAttribute(attribute)) + "\":" + std::to_string(index));
  }
  for (size_t mi = 0; mi < s.meshes.size(); ++mi) {
    const State::Mesh& m = s.meshes[mi];
    const int created = int(m.names.size()) - m.fileTargets;
    if (created == 0) continue;
    const int meshNode = j.Element(j.Member(root, "meshes"), size_t(m.gltfMesh));
    for (size_t pi = 0; pi < m.primitives.size(); ++pi) {
      const State::Primitive& p = m.primitives[pi];
      for (int t = m.fileTargets; t < int(m.names.size()); ++t) {
        const auto& like = p.targets[size_t(m.likeTarget[size_t(t - m.fileTargets)])];
        const auto found = createdAccessors.find({int(mi), int(pi), t});
        std::string object;
        for (int k = 0; k < 3; ++k) {
          // The attributes of the target it was made like, and any given values of its own.
          int index = found != createdAccessors.end() ? found->second[size_t(k)] : -1;
          if (like[size_t(k)] < 0 && index < 0) continue;
          if (index < 0) index = addAccessor(nullptr, p.vertexCount);
          object += std::string(object.empty() ? "" : ",") + "\"" + MorphAttributeName(MorphAttribute(k)) + "\":" +
                    std::to_string(index);
        }
        append(j.Member(primitiveNode(m, p), "targets"), "{" + object + "}");
      }
    }
    // Primitives without POSITION carry the mesh's targets too; they gain empty ones.
    const tinygltf::Mesh& gm = s.model.meshes[size_t(m.gltfMesh)];
    for (size_t gp = 0; gp < gm.primitives.size(); ++gp) {
      if (gm.primitives[gp].attributes.count("POSITION")) continue;
      for (int t = 0; t < created; ++t) {
        append(j.Member(j.Element(j.Member(meshNode, "primitives"), gp), "targets"), "{}");
      }
    }
    const int names = j.Member(j.Member(meshNode, "extras"), "targetNames");
    for (int t = m.fileTargets; t < int(m.names.size()); ++t) {
      if (names >= 0) append(names, jsonString(m.names[size_t(t)]));
      if (const int weights = j.Member(meshNode, "weights"); weights >= 0) append(weights, "0");
      for (size_t n = 0; n < s.model.nodes.size(); ++n) {
        if (s.model.nodes[n].mesh != m.gltfMesh) continue;
        if (const int weights = j.Member(j.Element(j.Member(root, "nodes"), n), "weights"); weights >= 0) append(weights, "0");
      }
    }
  }
  if (dataSize > 0) {
    if (s.glbBin) {
      replace(j.Member(j.Element(j.Member(root, "buffers"), 0), "byteLength"), std::to_string(dataBase + dataSize));
    } else {
      std::string bytes;
      bytes.reserve(dataSize);
      for (std::string_view piece : data) bytes.append(piece);
      appendToRootArray("buffers", "{\"byteLength\":" + std::to_string(dataSize) +
                                       ",\"uri\":\"data:application/octet-stream;base64," +
                                       base64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) + "\"}");
    }
  }
  // A changed buffer kept outside the file is carried inside it from now on.
  for (size_t b = 0; b < s.buffers.size(); ++b) {
    if (!s.bufferChanged[b] || (s.glbBin && b == 0)) continue;
    const int uri = j.Member(j.Element(j.Member(root, "buffers"), b), "uri");
    if (uri >= 0) replace(uri, "\"data:application/octet-stream;base64," + base64(s.buffers[b].data(), s.buffers[b].size()) + "\"");
  }
  for (const auto& [container, text] : added) edits.push_back({j.At(container).end - 1, j.At(container).end - 1, text});
  for (const auto& [name, elements] : rootArrays) {
    edits.push_back({j.At(root).end - 1, j.At(root).end - 1, ",\"" + name + "\":[" + elements + "]"});
  }
  if (!finite) return false;
  std::string json = ApplyTextEdits(s.json, std::move(edits));
  if (!s.binary) return put(json);

  json.resize(align4(json.size()), ' ');
  // Buffer 0 is followed by its padding as read, or by the appended data.
  const bool appended = s.glbBin && dataSize > 0;
  const std::string binTail = appended ? std::string(dataBase - s.buffers[0].size(), '\0') : s.binPadding;
  const size_t binLength = s.glbBin ? s.buffers[0].size() + binTail.size() + (appended ? dataSize : 0) : 0;
  const size_t total = 12 + 8 + json.size() + (s.glbBin ? 8 + binLength : 0) + s.otherChunks.size();
  if (total > std::numeric_limits<uint32_t>::max()) return false;
  std::string header = u32Bytes(kGlbMagic) + u32Bytes(2) + u32Bytes(uint32_t(total)) + u32Bytes(uint32_t(json.size())) +
                       u32Bytes(kChunkJson);
  if (!put(header) || !put(json)) return false;
  if (s.glbBin) {
    const std::string binHeader = u32Bytes(uint32_t(binLength)) + u32Bytes(kChunkBin);
    if (!put(binHeader) ||
        !put(std::string_view(reinterpret_cast<const char*>(s.buffers[0].data()), s.buffers[0].size())) || !put(binTail)) {
      return false;
    }
    for (std::string_view piece : data) {
      if (appended && !put(piece)) return false;
    }
  }
  return s.otherChunks.empty() || put(s.otherChunks);
}
