// Scene save: numbers every node, object and modifier once (so instancing survives), then writes
// the modifiers, the objects (each after those it refers to) and the nodes.
#include <cstdio>
#include <map>
#include <vector>

#include "iparamb2.h"
#include "modstack.h"
#include "scene_file.h"
#include "scene_file_chunks.h"

using namespace scene_chunks;

namespace {

struct Numbering {
  std::map<INode*, int> nodes;
  std::vector<Object*> objects;
  std::map<Object*, int> objectIndex;
  std::vector<Modifier*> modifiers;
  std::map<Modifier*, int> modifierIndex;
};

std::string nodeLabel(INode* node) { return "node '" + MSTR(node->GetName()).ToUTF8() + "'"; }

std::string className(Animatable* a) {
  MSTR s;
  a->GetClassName(s);
  if (!s.isNull()) return s.ToUTF8();
  char id[48];
  std::snprintf(id, sizeof(id), "Class_ID(0x%08lX, 0x%08lX)", a->ClassID().PartA(), a->ClassID().PartB());
  return id;
}

bool isDerived(Object* obj) { return obj->SuperClassID() == GEN_DERIVOB_CLASS_ID; }

// Numbers `obj` after everything it refers to; -1 for none.
bool numberObject(Object* obj, const std::string& owner, Numbering& n, int& r_index, std::string& r_error) {
  r_index = -1;
  if (obj == nullptr) return true;
  auto found = n.objectIndex.find(obj);
  if (found != n.objectIndex.end()) {
    r_index = found->second;
    return true;
  }
  if (isDerived(obj)) {
    auto* stack = static_cast<IDerivedObject*>(obj);
    int below = -1;
    if (!numberObject(stack->GetObjRef(), owner, n, below, r_error)) return false;
    for (int m = 0; m < stack->NumModifiers(); ++m) {
      Modifier* mod = stack->GetModifier(m);
      if (mod == nullptr) continue;
      if (!n.modifierIndex.count(mod)) {
        n.modifierIndex[mod] = int(n.modifiers.size());
        n.modifiers.push_back(mod);
      }
    }
  } else if (obj->ClassID() != triObjectClassID && obj->ClassID() != polyObjectClassID &&
             obj->ClassID() != patchObjectClassID) {
    r_error = owner + ": an object of class '" + className(obj) + "' cannot be saved in a scene file";
    return false;
  }
  r_index = int(n.objects.size());
  n.objectIndex[obj] = r_index;
  n.objects.push_back(obj);
  return true;
}

bool isFloatType(ParamType2 type) {
  return type == TYPE_FLOAT || type == TYPE_ANGLE || type == TYPE_PCNT_FRAC || type == TYPE_WORLD ||
         type == TYPE_COLOR_CHANNEL;
}

bool isReferenceType(ParamType2 type) {
  return type == TYPE_INODE || type == TYPE_REFTARG || type == TYPE_MTL || type == TYPE_TEXMAP;
}

void writeMatrix(ChunkSaver& out, unsigned short id, const Matrix3& tm) {
  PayloadWriter w;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) w.F32(tm.GetAddr()[r][c]);
  }
  out.WriteChunk(id, w.Bytes());
}

void writeInt(ChunkSaver& out, unsigned short id, int value) {
  PayloadWriter w;
  w.I32(value);
  out.WriteChunk(id, w.Bytes());
}

bool writeParamBlock(ChunkSaver& out, IParamBlock2* pb, const std::string& owner, const Numbering& n, std::string& r_error) {
  out.BeginChunk(kParamBlock);
  writeInt(out, kParamBlockId, pb->ID());
  ParamBlockDesc2* desc = pb->GetDesc();
  for (int i = 0; i < desc->Count(); ++i) {
    const ParamDef& def = desc->GetParamDefByIndex(i);
    PayloadWriter w;
    w.I32(def.ID);
    Interval valid = FOREVER;
    if (isFloatType(def.type)) {
      float f = 0.0f;
      pb->GetValue(def.ID, 0, f, valid);
      w.U8(1);
      w.F32(f);
    } else if (def.type == TYPE_INODE) {
      INode* node = pb->GetINode(def.ID);
      int index = -1;
      if (node != nullptr) {
        auto found = n.nodes.find(node);
        if (found == n.nodes.end()) {
          r_error = owner + ": parameter '" + MSTR(def.int_name).ToUTF8() + "' refers to a node outside the scene";
          return false;
        }
        index = found->second;
      }
      w.U8(2);
      w.I32(index);
    } else if (isReferenceType(def.type)) {
      if (pb->GetReference(i) != nullptr) {
        r_error = owner + ": parameter '" + MSTR(def.int_name).ToUTF8() + "' holds a reference a scene file cannot store";
        return false;
      }
      continue;
    } else {
      int v = 0;
      pb->GetValue(def.ID, 0, v, valid);
      w.U8(0);
      w.I32(v);
    }
    out.WriteChunk(kParam, w.Bytes());
  }
  out.EndChunk();
  return true;
}

bool writeModifier(ChunkSaver& out, Modifier* mod, int index, const Numbering& n, std::string& r_error) {
  std::string owner = "modifier " + std::to_string(index) + " (" + className(mod) + ")";
  out.BeginChunk(kModifier);
  PayloadWriter cls;
  cls.U32(std::uint32_t(mod->SuperClassID()));
  cls.U32(std::uint32_t(mod->ClassID().PartA()));
  cls.U32(std::uint32_t(mod->ClassID().PartB()));
  out.WriteChunk(kModifierClass, cls.Bytes());
  out.BeginChunk(kModifierData);
  ConfinedSave own(out);
  mod->Save(&own);
  if (!own.Finish()) {
    r_error = owner + ": its Save did not end the chunks it began";
    return false;
  }
  out.EndChunk();
  for (int b = 0; b < mod->NumParamBlocks(); ++b) {
    IParamBlock2* pb = mod->GetParamBlock(b);
    if (pb != nullptr && !writeParamBlock(out, pb, owner, n, r_error)) return false;
  }
  out.EndChunk();
  return true;
}

bool writeStack(ChunkSaver& out, IDerivedObject* stack, const Numbering& n, std::string& r_error) {
  out.BeginChunk(kDerivedObject);
  Object* below = stack->GetObjRef();
  writeInt(out, kDerivedObjectRef, below ? n.objectIndex.at(below) : -1);
  for (int m = 0; m < stack->NumModifiers(); ++m) {
    Modifier* mod = stack->GetModifier(m);
    ModContext* mc = stack->GetModContext(m);
    if (mod == nullptr || mc == nullptr) continue;
    out.BeginChunk(kApplication);
    writeInt(out, kApplicationModifier, n.modifierIndex.at(mod));
    if (mc->tm != nullptr) writeMatrix(out, kApplicationTM, *mc->tm);
    if (mc->box != nullptr) {
      PayloadWriter box;
      box.P3(mc->box->pmin);
      box.P3(mc->box->pmax);
      out.WriteChunk(kApplicationBox, box.Bytes());
    }
    if (mc->localData != nullptr) {
      out.BeginChunk(kApplicationLocalData);
      ConfinedSave own(out);
      mod->SaveLocalData(&own, mc->localData);
      if (!own.Finish()) {
        r_error = "modifier " + std::to_string(n.modifierIndex.at(mod)) + " (" + className(mod) +
                  "): its SaveLocalData did not end the chunks it began";
        return false;
      }
      out.EndChunk();
    }
    out.EndChunk();
  }
  out.EndChunk();
  return true;
}

bool writeScene(Scene& scene, ChunkSaver& out, std::string& r_error) {
  Numbering n;
  for (int i = 0; i < scene.NodeCount(); ++i) n.nodes[scene.GetNode(i)] = i;
  std::vector<int> nodeObjects;
  for (int i = 0; i < scene.NodeCount(); ++i) {
    int index = -1;
    if (!numberObject(scene.GetNode(i)->GetObjectRef(), nodeLabel(scene.GetNode(i)), n, index, r_error)) return false;
    nodeObjects.push_back(index);
  }

  out.BeginChunk(kScene);
  out.BeginChunk(kModifiers);
  for (size_t k = 0; k < n.modifiers.size(); ++k) {
    if (!writeModifier(out, n.modifiers[k], int(k), n, r_error)) return false;
  }
  out.EndChunk();
  out.BeginChunk(kObjects);
  for (Object* obj : n.objects) {
    bool ok = isDerived(obj) ? writeStack(out, static_cast<IDerivedObject*>(obj), n, r_error) : SaveBaseObject(out, obj);
    if (!ok) return false;
  }
  out.EndChunk();
  out.BeginChunk(kNodes);
  for (int i = 0; i < scene.NodeCount(); ++i) {
    INode* node = scene.GetNode(i);
    out.BeginChunk(kNode);
    out.WriteChunk(kNodeName, MSTR(node->GetName()).ToUTF8());
    writeMatrix(out, kNodeTM, node->GetObjectTM(0));
    writeInt(out, kNodeObject, nodeObjects[size_t(i)]);
    const std::uint8_t hidden = node->IsHidden() ? 1 : 0;
    out.WriteChunk(kNodeHidden, &hidden, 1);
    out.EndChunk();
  }
  out.EndChunk();
  out.EndChunk();
  if (out.Failed()) {
    r_error = "the scene could not be written: " + out.Error();
    return false;
  }
  return true;
}

}  // namespace

bool SaveSceneToBytes(Scene& scene, std::string& r_bytes, std::string* r_error) {
  ChunkSaver out;
  std::string error;
  if (!writeScene(scene, out, error)) {
    if (r_error != nullptr) *r_error = error;
    return false;
  }
  PayloadWriter header;
  header.Raw(kSceneFileMagic, sizeof(kSceneFileMagic));
  header.U32(kSceneFileVersion);
  r_bytes = header.Bytes() + out.Bytes();
  return true;
}
