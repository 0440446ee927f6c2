// New glTF files with morph targets.
#include "gltf_morph_builder.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

std::string number(float f) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, f);
  return std::string(buffer, end);
}

class Writer {
 public:
  // A buffer view of `bytes`, 4-aligned; returns its index.
  int View(const void* bytes, size_t size) {
    bin_.resize((bin_.size() + 3) & ~size_t(3), '\0');
    views_ += std::string(views_.empty() ? "" : ",") + "{\"buffer\":0,\"byteOffset\":" + std::to_string(bin_.size()) +
              ",\"byteLength\":" + std::to_string(size) + "}";
    bin_.append(static_cast<const char*>(bytes), size);
    return viewCount_++;
  }
  int Accessor(const std::string& members) {
    accessors_ += std::string(accessors_.empty() ? "" : ",") + "{" + members + "}";
    return accessorCount_++;
  }
  // A VEC3 float accessor, dense or sparse over the elements that are not zero.
  int Vec3(const std::vector<float>& values, bool withMinMax, bool sparse) {
    const size_t count = values.size() / 3;
    std::string members = "\"componentType\":5126,\"count\":" + std::to_string(count) + ",\"type\":\"VEC3\"";
    if (!sparse) {
      members += ",\"bufferView\":" + std::to_string(View(values.data(), values.size() * 4));
    } else {
      std::vector<uint32_t> indices;
      std::vector<float> listed;
      for (size_t i = 0; i < count; ++i) {
        if (values[i * 3] == 0 && values[i * 3 + 1] == 0 && values[i * 3 + 2] == 0) continue;
        indices.push_back(uint32_t(i));
        listed.insert(listed.end(), &values[i * 3], &values[i * 3] + 3);
      }
      if (!indices.empty()) {
        const int indexView = View(indices.data(), indices.size() * 4);
        const int valueView = View(listed.data(), listed.size() * 4);
        members += ",\"sparse\":{\"count\":" + std::to_string(indices.size()) +
                   ",\"indices\":{\"bufferView\":" + std::to_string(indexView) +
                   ",\"componentType\":5125},\"values\":{\"bufferView\":" + std::to_string(valueView) + "}}";
      }
    }
    if (withMinMax) {
      float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
      for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
          low[c] = i == 0 ? values[i * 3 + c] : std::min(low[c], values[i * 3 + c]);
          high[c] = i == 0 ? values[i * 3 + c] : std::max(high[c], values[i * 3 + c]);
        }
      }
      members += ",\"min\":[" + number(low[0]) + "," + number(low[1]) + "," + number(low[2]) + "],\"max\":[" +
                 number(high[0]) + "," + number(high[1]) + "," + number(high[2]) + "]";
    }
    return Accessor(members);
  }
  std::string& bin() { return bin_; }
  const std::string& views() const { return views_; }
  const std::string& accessors() const { return accessors_; }

 private:
  std::string bin_, views_, accessors_;
  int viewCount_ = 0, accessorCount_ = 0;
};

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void putU32(std::string& out, uint32_t v) {
  char b[4];
  std::memcpy(b, &v, 4);
  out.append(b, 4);
}

}  // namespace

std::string BuildMorphGltf(const GltfMeshDescription& mesh, const std::string& binUri, std::string* r_bin) {
  Writer w;
  std::string primitives;
  for (const GltfPrimitiveDescription& p : mesh.primitives) {
    std::string attributes = "\"POSITION\":" + std::to_string(w.Vec3(p.positions, true, false));
    if (!p.normals.empty()) attributes += ",\"NORMAL\":" + std::to_string(w.Vec3(p.normals, false, false));
    const int indices = w.Accessor("\"bufferView\":" + std::to_string(w.View(p.triangles.data(), p.triangles.size() * 4)) +
                                   ",\"componentType\":5125,\"count\":" + std::to_string(p.triangles.size()) +
                                   ",\"type\":\"SCALAR\"");
    std::string targets;
    for (const GltfTargetDescription& t : p.targets) {
      std::string target = "\"POSITION\":" + std::to_string(w.Vec3(t.positions, true, t.sparse));
      if (!t.normals.empty()) target += ",\"NORMAL\":" + std::to_string(w.Vec3(t.normals, false, t.sparse));
      targets += std::string(targets.empty() ? "" : ",") + "{" + target + "}";
    }
    primitives += std::string(primitives.empty() ? "" : ",") + "{\"attributes\":{" + attributes +
                  "},\"indices\":" + std::to_string(indices) + ",\"mode\":4" +
                  (targets.empty() ? "" : ",\"targets\":[" + targets + "]") + "}";
  }
  std::string names, weights;
  for (const std::string& n : mesh.targetNames) {
    names += std::string(names.empty() ? "" : ",") + quoted(n);
    weights += std::string(weights.empty() ? "" : ",") + "0";
  }
  const size_t targetCount = mesh.primitives.empty() ? 0 : mesh.primitives[0].targets.size();
  if (weights.empty() && targetCount > 0) {
    for (size_t i = 0; i < targetCount; ++i) weights += std::string(i ? "," : "") + "0";
  }
  w.bin().resize((w.bin().size() + 3) & ~size_t(3), '\0');
  std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"velomorph\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
                     "\"nodes\":[{\"mesh\":0,\"name\":" + quoted(mesh.name) +
                     (targetCount ? ",\"weights\":[" + weights + "]" : "") + "}],\"meshes\":[{\"name\":" + quoted(mesh.name) +
                     ",\"primitives\":[" + primitives + "]" +
                     (names.empty() ? "" : ",\"extras\":{\"targetNames\":[" + names + "]}") + "}],\"accessors\":[" +
                     w.accessors() + "],\"bufferViews\":[" + w.views() + "],\"buffers\":[{\"byteLength\":" +
                     std::to_string(w.bin().size()) + (binUri.empty() ? "" : ",\"uri\":" + quoted(binUri)) + "}]" +
                     (mesh.extraRootMembers.empty() ? "" : "," + mesh.extraRootMembers) + "}";
  if (!binUri.empty()) {
    if (r_bin) *r_bin = std::move(w.bin());
    return json;
  }
  json.resize((json.size() + 3) & ~size_t(3), ' ');
  std::string glb;
  putU32(glb, 0x46546C67);
  putU32(glb, 2);
  putU32(glb, uint32_t(12 + 8 + json.size() + 8 + w.bin().size()));
  putU32(glb, uint32_t(json.size()));
  putU32(glb, 0x4E4F534A);
  glb += json;
  putU32(glb, uint32_t(w.bin().size()));
  putU32(glb, 0x004E4942);
  glb += w.bin();
  return glb;
}
