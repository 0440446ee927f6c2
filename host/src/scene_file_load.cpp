// Scene load: the whole file is parsed into a staging area (objects and modifiers built but held
// apart from the scene, node references kept as indices), every index and the reference graph are
// checked, and only then is the scene's content replaced. Nothing of a refused file reaches it.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "iparamb2.h"
#include "modstack.h"
#include "plugin_library.h"
#include "scene_file.h"
#include "scene_file_chunks.h"

using namespace scene_chunks;

namespace {

struct StagedApplication {
  int modifier = -1;
  std::unique_ptr<ModContext> context = std::make_unique<ModContext>();
};

struct StagedObject {
  std::unique_ptr<Object> base;  // a mesh object; null for a stack
  int below = -1;                // a stack: the object it modifies
  std::vector<StagedApplication> applications;  // a stack: top first
};

// A node parameter, set once the nodes exist.
struct NodeLink {
  int modifier;
  BlockID block;
  ParamID param;
  int node;
};

struct StagedNode {
  MSTR name;
  Matrix3 tm;
  bool hidden = false;
  int object = -1;
};

struct Staging {
  std::vector<Modifier*> modifiers;  // created for this load; deleted unless the scene takes them
  std::vector<StagedObject> objects;
  std::vector<StagedNode> nodes;
  std::vector<NodeLink> links;

  Staging() = default;
  Staging(const Staging&) = delete;
  Staging& operator=(const Staging&) = delete;
  ~Staging() {
    objects.clear();
    for (Modifier* mod : modifiers) {
      if (mod != nullptr) mod->DeleteMe();
    }
  }
};

class Parser {
 public:
  Parser(std::string_view bytes, Staging& staging) : in_(bytes, sizeof(kSceneFileMagic) + 4), st_(staging) {}
  bool Parse(std::string& r_error);

 private:
  // Visits each chunk inside the open one; false on damage or when `visit` fails.
  template <class Visit>
  bool eachChunk(Visit visit) {
    IOResult r;
    while ((r = in_.OpenChunk()) == IO_OK) {
      if (!visit(in_.CurChunkID())) return false;
      in_.CloseChunk();
    }
    if (r == IO_ERROR) return fail("damaged: " + in_.Error());
    return true;
  }
  bool fail(const std::string& what) {
    if (error_.empty()) error_ = what;
    return false;
  }
  bool container(const std::string& what) {
    if (in_.CurChunkHasSubChunks() || in_.CurChunkLength() == 0) return true;
    return fail(what + ": " + ChunkPlace(in_) + " should hold chunks, not data");
  }
  bool payload(const std::string& what, size_t size, PayloadReader& r_reader) {
    if (in_.CurChunkHasSubChunks() || in_.CurChunkLength() != size) {
      return fail(what + ": " + ChunkPlace(in_) + " should hold " + std::to_string(size) + " bytes of data");
    }
    r_reader = PayloadReader(in_.RemainingPayload());
    return true;
  }
  bool readIndex(const std::string& what, int& r_value) {
    PayloadReader r({});
    if (!payload(what, 4, r)) return false;
    r_value = r.I32();
    return true;
  }
  bool readMatrix(const std::string& what, Matrix3& r_tm) {
    PayloadReader r({});
    if (!payload(what, 48, r)) return false;
    for (int row = 0; row < 4; ++row) {
      for (int c = 0; c < 3; ++c) r_tm.GetAddr()[row][c] = r.F32();
    }
    return true;
  }

  bool parseModifier(int index);
  bool parseParamBlock(Modifier* mod, int index, const std::string& what);
  bool parseStack(StagedObject& obj, int index);
  bool parseApplication(StagedObject& obj, const std::string& what);
  bool parseNode(int index);

  ChunkLoader in_;
  Staging& st_;
  std::string error_;
};

bool Parser::Parse(std::string& r_error) {
  bool ok = [&] {
    IOResult r = in_.OpenChunk();
    if (r == IO_ERROR) return fail("damaged: " + in_.Error());
    if (r != IO_OK || in_.CurChunkID() != kScene) return fail("damaged: the scene chunk is missing");
    if (!container("the scene")) return false;
    int stage = 0;  // modifiers, then objects, then nodes: each part refers to the one before
    bool parsed = eachChunk([&](unsigned short id) {
      int expected = id == kModifiers ? 0 : id == kObjects ? 1 : id == kNodes ? 2 : -1;
      if (expected < 0) return true;
      if (expected != stage) return fail("damaged: " + ChunkPlace(in_) + " is out of place");
      ++stage;
      if (!container("a part of the scene")) return false;
      int k = 0;
      switch (id) {
        case kModifiers:
          return eachChunk([&](unsigned short child) { return child != kModifier || parseModifier(k++); });
        case kObjects:
          return eachChunk([&](unsigned short child) {
            int index = int(st_.objects.size());
            if (IsBaseObjectChunk(child)) {
              std::string error;
              StagedObject obj;
              obj.base.reset(LoadBaseObject(in_, error));
              if (!obj.base) {
                return fail("object " + std::to_string(index) + ": " + (in_.Failed() ? "damaged: " + in_.Error() : error));
              }
              st_.objects.push_back(std::move(obj));
              return true;
            }
            // Objects are numbered by their place in this list: none may be passed over.
            if (child != kDerivedObject) {
              return fail("object " + std::to_string(index) + ": " + ChunkPlace(in_) + " is no kind of object");
            }
            st_.objects.emplace_back();
            return parseStack(st_.objects.back(), index);
          });
        default:
          return eachChunk([&](unsigned short child) { return child != kNode || parseNode(k++); });
      }
    });
    if (!parsed) return false;
    if (stage != 3) return fail("damaged: the scene lacks its " + std::string(stage == 0 ? "modifiers" : stage == 1 ? "objects" : "nodes"));
    in_.CloseChunk();
    if (in_.OpenChunk() != IO_END) return fail("damaged: something follows the scene chunk");
    return true;
  }();
  if (!ok) r_error = error_;
  return ok;
}

bool Parser::parseModifier(int index) {
  std::string what = "modifier " + std::to_string(index);
  if (!container(what)) return false;
  st_.modifiers.push_back(nullptr);
  Modifier*& mod = st_.modifiers.back();
  return eachChunk([&](unsigned short id) {
    if (id == kModifierClass) {
      PayloadReader r({});
      if (mod != nullptr) return fail(what + ": " + ChunkPlace(in_) + " names its class twice");
      if (!payload(what, 12, r)) return false;
      SClass_ID sclass = r.U32();
      unsigned long a = r.U32(), b = r.U32();
      char cls[64];
      std::snprintf(cls, sizeof(cls), "(super class 0x%lX, 0x%08lX:0x%08lX)", sclass, a, b);
      ClassDesc* cd = ClassDirectory::Get().Find(sclass, Class_ID(a, b));
      if (cd == nullptr) return fail(what + ": its class " + cls + " is not loaded");
      if (sclass != OSM_CLASS_ID) return fail(what + ": class " + cls + " is not a modifier class");
      mod = static_cast<Modifier*>(cd->Create(TRUE));
      if (mod == nullptr) return fail(what + ": its class " + cls + " could not create an object");
      return true;
    }
    if (id != kModifierData && id != kParamBlock) return true;
    if (mod == nullptr) return fail(what + ": " + ChunkPlace(in_) + " comes before the modifier's class");
    if (!container(what)) return false;
    if (id == kParamBlock) return parseParamBlock(mod, index, what);
    ConfinedLoad own(in_);
    mod->Load(&own);
    bool kept = own.Finish();
    if (in_.Failed()) return fail(what + ": damaged: " + in_.Error());
    if (!kept) return fail(what + ": its Load closed a chunk it had not opened");
    return true;
  }) && (mod != nullptr || fail(what + ": its class is missing"));
}

bool Parser::parseParamBlock(Modifier* mod, int index, const std::string& what) {
  IParamBlock2* block = nullptr;
  return eachChunk([&](unsigned short id) {
    PayloadReader r({});
    if (id == kParamBlockId) {
      int blockId = 0;
      if (!readIndex(what, blockId)) return false;
      block = mod->GetParamBlockByID(BlockID(blockId));
      if (block == nullptr || block->ID() != blockId) return fail(what + ": it has no parameter block " + std::to_string(blockId));
      return true;
    }
    if (id != kParam) return true;
    if (block == nullptr) return fail(what + ": " + ChunkPlace(in_) + " comes before its block's id");
    if (!payload(what, 9, r)) return false;
    int paramId = r.I32();
    int kind = r.U8();
    const ParamDef* def = paramId == ParamID(paramId) ? block->GetDesc()->GetParamDef(ParamID(paramId)) : nullptr;
    std::string param = what + ": parameter " + std::to_string(paramId) + " of block " + std::to_string(block->ID());
    if (def == nullptr) return fail(param + " does not exist");
    bool isNode = def->type == TYPE_INODE;
    bool isFloat = def->type == TYPE_FLOAT || def->type == TYPE_ANGLE || def->type == TYPE_PCNT_FRAC ||
                   def->type == TYPE_WORLD || def->type == TYPE_COLOR_CHANNEL;
    int expected = isNode ? 2 : isFloat ? 1 : 0;
    if (kind != expected) return fail(param + " is stored as the wrong kind of value");
    if (kind == 2) {
      int node = r.I32();
      if (node < -1) return fail(param + " refers to node " + std::to_string(node));
      if (node >= 0) st_.links.push_back(NodeLink{index, block->ID(), def->ID, node});
      return true;
    }
    BOOL set = kind == 1 ? block->SetValue(def->ID, 0, r.F32()) : block->SetValue(def->ID, 0, int(r.I32()));
    return set ? true : fail(param + " does not take its stored value");
  });
}

bool Parser::parseStack(StagedObject& obj, int index) {
  std::string what = "object " + std::to_string(index);
  if (!container(what)) return false;
  bool seenBelow = false;
  return eachChunk([&](unsigned short id) {
    if (id == kDerivedObjectRef) {
      if (seenBelow) return fail(what + ": " + ChunkPlace(in_) + " appears twice");
      seenBelow = true;
      if (!readIndex(what, obj.below)) return false;
      if (obj.below < -1 || obj.below >= index) {
        return fail(what + ": its stack modifies object " + std::to_string(obj.below) + ", which does not come before it");
      }
      return true;
    }
    if (id != kApplication) return true;
    return parseApplication(obj, what + ", application " + std::to_string(obj.applications.size()));
  });
}

bool Parser::parseApplication(StagedObject& obj, const std::string& what) {
  if (!container(what)) return false;
  obj.applications.emplace_back();
  StagedApplication& app = obj.applications.back();
  bool ok = eachChunk([&](unsigned short id) {
    switch (id) {
      case kApplicationModifier:
        if (app.modifier >= 0) return fail(what + ": " + ChunkPlace(in_) + " appears twice");
        if (!readIndex(what, app.modifier)) return false;
        if (app.modifier < 0 || app.modifier >= int(st_.modifiers.size())) {
          return fail(what + ": refers to modifier " + std::to_string(app.modifier) + " of " +
                      std::to_string(st_.modifiers.size()));
        }
        return true;
      case kApplicationTM: {
        Matrix3 tm;
        if (!readMatrix(what, tm)) return false;
        delete app.context->tm;
        app.context->tm = new Matrix3(tm);
        return true;
      }
      case kApplicationBox: {
        PayloadReader r({});
        if (!payload(what, 24, r)) return false;
        Point3 pmin = r.P3(), pmax = r.P3();
        delete app.context->box;
        app.context->box = new Box3(pmin, pmax);
        return true;
      }
      case kApplicationLocalData: {
        if (app.modifier < 0) return fail(what + ": " + ChunkPlace(in_) + " comes before its modifier");
        if (app.context->localData != nullptr) return fail(what + ": " + ChunkPlace(in_) + " appears twice");
        if (!container(what)) return false;
        ConfinedLoad own(in_);
        st_.modifiers[size_t(app.modifier)]->LoadLocalData(&own, &app.context->localData);
        bool kept = own.Finish();
        if (in_.Failed()) return fail(what + ": local data damaged: " + in_.Error());
        if (!kept) return fail(what + ": the modifier's LoadLocalData closed a chunk it had not opened");
        return true;
      }
      default:
        return true;
    }
  });
  return ok && (app.modifier >= 0 || fail(what + ": names no modifier"));
}

bool Parser::parseNode(int index) {
  std::string what = "node " + std::to_string(index);
  if (!container(what)) return false;
  StagedNode node;
  bool named = false;
  bool ok = eachChunk([&](unsigned short id) {
    switch (id) {
      case kNodeName: {
        if (in_.CurChunkHasSubChunks()) return fail(what + ": " + ChunkPlace(in_) + " should hold a name");
        node.name = MSTR::FromUTF8(std::string(in_.RemainingPayload()));
        named = true;
        return true;
      }
      case kNodeTM:
        return readMatrix(what, node.tm);
      case kNodeObject:
        if (!readIndex(what, node.object)) return false;
        if (node.object < -1 || node.object >= int(st_.objects.size())) {
          return fail(what + ": refers to object " + std::to_string(node.object) + " of " + std::to_string(st_.objects.size()));
        }
        return true;
      case kNodeHidden: {
        PayloadReader r({});
        if (!payload(what, 1, r)) return false;
        node.hidden = r.U8() != 0;
        return true;
      }
      default:
        return true;
    }
  });
  if (!ok) return false;
  if (!named) return fail(what + ": has no name");
  st_.nodes.push_back(std::move(node));
  return true;
}

// References among the staged parts: node -> object, stack -> object below and its modifiers,
// modifier -> the nodes its parameters name. The host refuses any reference that closes a loop,
// so a file whose references form one cannot be loaded.
bool referencesLoop(const Staging& st) {
  size_t nodes = st.nodes.size(), objects = st.objects.size();
  size_t total = nodes + objects + st.modifiers.size();
  std::vector<std::vector<size_t>> refers(total);
  for (size_t i = 0; i < nodes; ++i) {
    if (st.nodes[i].object >= 0) refers[i].push_back(nodes + size_t(st.nodes[i].object));
  }
  for (size_t j = 0; j < objects; ++j) {
    const StagedObject& obj = st.objects[j];
    if (obj.below >= 0) refers[nodes + j].push_back(nodes + size_t(obj.below));
    for (const StagedApplication& app : obj.applications) refers[nodes + j].push_back(nodes + objects + size_t(app.modifier));
  }
  for (const NodeLink& link : st.links) refers[nodes + objects + size_t(link.modifier)].push_back(size_t(link.node));

  enum : char { kNew, kOnPath, kDone };
  std::vector<char> state(total, kNew);
  for (size_t start = 0; start < total; ++start) {
    if (state[start] != kNew) continue;
    std::vector<std::pair<size_t, size_t>> path{{start, 0}};
    state[start] = kOnPath;
    while (!path.empty()) {
      auto& [at, next] = path.back();
      if (next == refers[at].size()) {
        state[at] = kDone;
        path.pop_back();
        continue;
      }
      size_t to = refers[at][next++];
      if (state[to] == kOnPath) return true;
      if (state[to] == kNew) {
        state[to] = kOnPath;
        path.emplace_back(to, 0);
      }
    }
  }
  return false;
}

bool validate(const Staging& st, std::string& r_error) {
  for (const NodeLink& link : st.links) {
    if (link.node >= int(st.nodes.size())) {
      r_error = "modifier " + std::to_string(link.modifier) + ": a parameter refers to node " + std::to_string(link.node) +
                " of " + std::to_string(st.nodes.size());
      return false;
    }
  }
  if (referencesLoop(st)) {
    r_error = "its nodes, objects and modifiers refer to each other in a loop";
    return false;
  }
  return true;
}

// Replaces the scene's content by the staged parts. Every check is done: nothing here can fail.
void commit(Staging& st, Scene& scene) {
  std::vector<bool> used(st.objects.size(), false);
  for (const StagedNode& node : st.nodes) {
    for (int j = node.object; j >= 0 && !used[size_t(j)]; j = st.objects[size_t(j)].below) used[size_t(j)] = true;
  }
  std::vector<bool> applied(st.modifiers.size(), false);
  for (size_t j = 0; j < st.objects.size(); ++j) {
    if (!used[j]) continue;
    for (const StagedApplication& app : st.objects[j].applications) applied[size_t(app.modifier)] = true;
  }

  scene.Clear();
  std::vector<Object*> built(st.objects.size(), nullptr);
  for (size_t j = 0; j < st.objects.size(); ++j) {
    if (!used[j]) continue;
    StagedObject& obj = st.objects[j];
    if (obj.base) {
      built[j] = obj.base.release();
      continue;
    }
    IDerivedObject* stack = CreateDerivedObject(obj.below >= 0 ? built[size_t(obj.below)] : nullptr);
    for (auto app = obj.applications.rbegin(); app != obj.applications.rend(); ++app) {
      stack->AddModifier(st.modifiers[size_t(app->modifier)], app->context.release(), 0);
    }
    built[j] = stack;
  }
  std::vector<INode*> nodes;
  for (StagedNode& staged : st.nodes) {
    INode* node = scene.CreateNode(staged.name.data(), staged.object >= 0 ? built[size_t(staged.object)] : nullptr);
    node->SetObjectTM(staged.tm);
    node->Hide(staged.hidden);
    nodes.push_back(node);
  }
  for (const NodeLink& link : st.links) {
    if (!applied[size_t(link.modifier)]) continue;
    IParamBlock2* block = st.modifiers[size_t(link.modifier)]->GetParamBlockByID(link.block);
    block->SetValue(link.param, 0, nodes[size_t(link.node)]);
  }
  // What the scene now holds is the scene's; the rest goes with the staging area.
  for (size_t k = 0; k < st.modifiers.size(); ++k) {
    if (applied[k]) st.modifiers[k] = nullptr;
  }
}

}  // namespace

bool LoadSceneFromBytes(Scene& scene, std::string_view bytes, const std::string& name, std::string* r_error) {
  auto refuse = [&](const std::string& why) {
    if (r_error != nullptr) *r_error = name + ": " + why;
    return false;
  };
  if (bytes.size() < sizeof(kSceneFileMagic) + 4 || std::memcmp(bytes.data(), kSceneFileMagic, sizeof(kSceneFileMagic)) != 0) {
    return refuse("not a Velomorph scene file");
  }
  PayloadReader header(bytes.substr(sizeof(kSceneFileMagic), 4));
  std::uint32_t version = header.U32();
  if (version != kSceneFileVersion) {
    return refuse("scene file format version " + std::to_string(version) + "; this program reads version " +
                  std::to_string(kSceneFileVersion));
  }
  Staging staging;
  Parser parser(bytes, staging);
  std::string error;
  if (!parser.Parse(error) || !validate(staging, error)) return refuse(error);
  commit(staging, scene);
  return true;
}
