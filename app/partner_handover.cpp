// The partner table as local data chunks, read by the modifier as at a scene load.
#include "partner_handover.h"

#include <cstdint>

#include "chunk_stream.h"
#include "inode.h"
#include "modstack.h"
#include "symmetry_scene.h"

namespace {

// The cache's chunks the handover writes (the scene file's format for a modifier's local data).
enum : unsigned short {
  kLocalDataChunk = 0x5254,  // the host's chunk around one application's local data
  kTargetCountChunk = 0x1030,
  kTargetVertsChunk = 0x1040,
  kVertMatchChunk = 0x1100,
  kLastAxisChunk = 0x1140,
};

ModContext* contextOf(Modifier* mod, INode* node) {
  Object* obj = node->GetObjectRef();
  if (obj == nullptr || obj->SuperClassID() != GEN_DERIVOB_CLASS_ID) return nullptr;
  auto* stack = static_cast<IDerivedObject*>(obj);
  for (int i = 0; i < stack->NumModifiers(); ++i) {
    if (stack->GetModifier(i) == mod) return stack->GetModContext(i);
  }
  return nullptr;
}

}  // namespace

bool HandPartnersToModifier(Modifier* mod, INode* node, PositionsView target, const std::vector<int>& partners, int axis,
                            std::string& r_error) {
  ModContext* context = contextOf(mod, node);
  if (context == nullptr) {
    r_error = "the node does not carry the modifier";
    return false;
  }
  PayloadWriter count, verts, match, lastAxis;
  count.I32(std::int32_t(target.size()));
  verts.Reserve(target.size() * 12);
  for (size_t i = 0; i < target.size(); ++i) verts.P3(target[i]);
  match.Reserve(partners.size() * 4);
  for (int p : partners) match.I32(p);
  lastAxis.I32(axis);

  ChunkSaver saver;
  saver.BeginChunk(kLocalDataChunk);
  saver.WriteChunk(kTargetCountChunk, count.Bytes());
  saver.WriteChunk(kTargetVertsChunk, verts.Bytes());
  saver.WriteChunk(kVertMatchChunk, match.Bytes());
  saver.WriteChunk(kLastAxisChunk, lastAxis.Bytes());
  saver.EndChunk();
  if (saver.Failed()) {
    r_error = saver.Error();
    return false;
  }
  delete context->localData;
  context->localData = nullptr;
  ChunkLoader loader(saver.Bytes());
  loader.OpenChunk();
  ConfinedLoad confined(loader);
  mod->LoadLocalData(&confined, &context->localData);
  confined.Finish();
  return true;
}

std::string WhyHandedPartnersWouldNotBeKept(IParamBlock2* params) {
  if (params->GetInt(kUpdateResultParam) != 0) return std::string();
  return "--pairing topology hands the modifier partners to hold: it needs updateResult (Cache Target) on, not --set "
         "updateResult=0";
}
