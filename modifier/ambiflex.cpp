// The modifier's host entry points.
#include "modifier/ambiflex.h"

#include "maxapi.h"
#include "params/param_ids.h"
#include "params/rollout_dlg_proc.h"
#include "persist/local_data_chunks.h"
#include "plugin/library_statics.h"
#include "plugin/resource.h"
#include "plugin/resource_string.h"

ambiflex::ambiflex() : pblock(nullptr), hwndRollout(nullptr), resultValid(0) {
  GetAmbiflexDesc()->MakeAutoParamBlocks(this);
}

ambiflex::~ambiflex() {}

BaseInterface* ambiflex::GetInterface(Interface_ID id) {
  if (id == VMIRROROPS_INTERFACE_ID) return static_cast<IambiflexFP*>(this);
  return FPMixinInterface::GetInterface(id);
}

void ambiflex::GetClassName(MSTR& s) { s = GetResourceString(IDS_CLASS_NAME); }

Class_ID ambiflex::ClassID() { return AMBIFLEX_CLASS_ID; }

MSTR ambiflex::SubAnimName(int i) { return MSTR(GetResourceString(IDS_ROLLOUT_TITLE)); }

IParamBlock2* ambiflex::GetParamBlockByID(BlockID id) {
  return (pblock != nullptr && pblock->ID() == id) ? pblock : nullptr;
}

void ambiflex::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  TimeValue t = ip->GetTime();
  NotifyDependents(Interval(t, t), PART_ALL, REFMSG_BEGIN_EDIT);
  NotifyDependents(Interval(t, t), PART_ALL, REFMSG_MOD_DISPLAY_ON);
  SetAFlag(A_MOD_BEING_EDITED);
  GetAmbiflexDesc()->BeginEditParams(ip, this, flags, prev);
  // The map sends the new procedure WM_INITDIALOG, which takes the window and the pick buttons.
  ambiflexParamBlockDesc.SetUserDlgProc(0, new ambiflexParamsMapDlgProc(this));
}

void ambiflex::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  // A pick started from this rollout ends with it: it would otherwise act on a modifier that may
  // be deleted once it is no longer edited, and check buttons that no longer exist.
  if (ip->GetCurPickMode() == &thePickMode && thePickMode.modifier == this) ip->ClearPickMode();
  GetAmbiflexDesc()->EndEditParams(ip, this, flags, next);
  // The rollout's window is gone with its map: nothing may use the handle or the buttons any more.
  hwndRollout = nullptr;
  ICustButton** const buttons[] = {&targetPickButton, &asymmetryPickButton};
  for (int b = 0; b < 2; ++b) {
    if (*buttons[b] != nullptr) ReleaseICustButton(*buttons[b]);
    *buttons[b] = nullptr;
  }
  TimeValue t = ip->GetTime();
  ClearAFlag(A_MOD_BEING_EDITED);
  NotifyDependents(Interval(t, t), PART_ALL, REFMSG_END_EDIT);
  NotifyDependents(Interval(t, t), PART_ALL, REFMSG_MOD_DISPLAY_OFF);
}

RefResult ambiflex::NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                     RefMessage message) {
  if (message == REFMSG_CHANGE && pblock != nullptr) {
    ambiflexParamBlockDesc.InvalidateUI(pblock->LastNotifyParamID(), -1);
  }
  return REF_SUCCEED;
}

ReferenceTarget* ambiflex::Clone(RemapDir& remap) {
  auto* copy = new ambiflex();
  copy->ReplaceReference(0, pblock->Clone(remap), TRUE);
  BaseClone(this, copy, remap);
  return copy;
}

IOResult ambiflex::Save(ISave* isave) {
  Modifier::Save(isave);
  return IO_OK;
}

IOResult ambiflex::Load(ILoad* iload) {
  Modifier::Load(iload);
  return IO_OK;
}

IOResult ambiflex::SaveLocalData(ISave* isave, LocalModData* ld) { return SaveLocalDataChunks(isave, ld, resultValid); }

IOResult ambiflex::LoadLocalData(ILoad* iload, LocalModData** pld) { return LoadLocalDataChunks(iload, pld, resultValid); }

const MCHAR* ambiflex::GetObjectName() { return GetResourceString(IDS_CLASS_NAME); }

ChannelMask ambiflex::ChannelsUsed() {
  return TOPO_CHANNEL | GEOM_CHANNEL | TEXMAP_CHANNEL | SELECT_CHANNEL | SUBSEL_TYPE_CHANNEL | VERTCOLOR_CHANNEL;
}

ChannelMask ambiflex::ChannelsChanged() {
  return TOPO_CHANNEL | GEOM_CHANNEL | TEXMAP_CHANNEL | SELECT_CHANNEL | VERTCOLOR_CHANNEL;
}
