// Parameter block descriptions (read from the plug-in's tagged argument list), the blocks built
// from them, and the class descriptor's handling of both.
#include <algorithm>
#include <cmath>

#include "hold.h"
#include "undo_records.h"
#include "inode.h"
#include "iparamb2.h"
#include "iFnPub.h"
#include "iparamm2.h"

FPInterface* ClassDesc::GetInterface(Interface_ID id) {
  for (FPInterface* fpi : interfaces_) {
    if (fpi != nullptr && fpi->GetID() == id) return fpi;
  }
  return nullptr;
}

// --- description -------------------------------------------------------------------------------

namespace {

// Reads one value of `type` from the argument list. Floats travel as doubles, integers and booleans
// as ints, references as pointers.
PB2Value readValue(va_list& args, ParamType2 type) {
  PB2Value v;
  switch (type) {
    case TYPE_FLOAT:
    case TYPE_ANGLE:
    case TYPE_PCNT_FRAC:
    case TYPE_WORLD:
    case TYPE_COLOR_CHANNEL:
      v.f = float(va_arg(args, double));
      break;
    case TYPE_INODE:
    case TYPE_REFTARG:
    case TYPE_MTL:
    case TYPE_TEXMAP:
      v.r = va_arg(args, ReferenceTarget*);
      break;
    default:
      v.i = va_arg(args, int);
      break;
  }
  return v;
}

bool isReferenceType(ParamType2 type) {
  return type == TYPE_INODE || type == TYPE_REFTARG || type == TYPE_MTL || type == TYPE_TEXMAP;
}

bool isFloatType(ParamType2 type) {
  return type == TYPE_FLOAT || type == TYPE_ANGLE || type == TYPE_PCNT_FRAC || type == TYPE_WORLD ||
         type == TYPE_COLOR_CHANNEL;
}

}  // namespace

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const MCHAR* name, StringResID localName, ClassDesc2* classDesc,
                                 int blockFlags, ...)
    : ID(id), int_name(name), local_name(localName), cd(classDesc), flags(blockFlags) {
  va_list args;
  va_start(args, blockFlags);
  if (flags & P_AUTO_CONSTRUCT) ref_no = va_arg(args, int);
  if (flags & P_AUTO_UI) {
    dlg_template = va_arg(args, int);
    title = va_arg(args, int);
    test_flags = va_arg(args, int);
    rollup_flags = va_arg(args, int);
    dlgProc = va_arg(args, ParamMap2UserDlgProc*);
  }
  bool ok = true;
  for (;;) {
    int first = va_arg(args, int);
    if (first == p_end) break;
    ParamDef def;
    def.ID = ParamID(first);
    def.int_name = va_arg(args, const MCHAR*);
    def.type = ParamType2(va_arg(args, int));
    def.flags = va_arg(args, int);
    def.local_name = va_arg(args, StringResID);
    bool closed = false;
    while (ok && !closed) {
      int tag = va_arg(args, int);
      switch (tag) {
        case p_end:
          closed = true;
          break;
        case p_default:
          def.def = readValue(args, def.type);
          break;
        case p_range:
          def.hasRange = true;
          def.range_low = readValue(args, def.type);
          def.range_high = readValue(args, def.type);
          break;
        case p_ui: {
          def.hasUI = true;
          def.ctrl_type = ControlType2(va_arg(args, int));
          switch (def.ctrl_type) {
            case TYPE_RADIO: {
              int count = va_arg(args, int);
              for (int k = 0; k < count && k < 64; ++k) def.ctrl_IDs.push_back(va_arg(args, int));
              break;
            }
            case TYPE_SPINNER:
              def.spin_type = EditSpinnerType(va_arg(args, int));
              def.ctrl_IDs.push_back(va_arg(args, int));
              def.ctrl_IDs.push_back(va_arg(args, int));
              def.spin_scale = va_arg(args, double);
              break;
            default:
              def.ctrl_IDs.push_back(va_arg(args, int));
              break;
          }
          break;
        }
        case p_prompt:
        case p_tooltip:
          def.prompt = va_arg(args, int);
          break;
        case p_accessor:
          def.accessor = va_arg(args, PBAccessor*);
          break;
        case p_enabled:
          (void)va_arg(args, int);
          break;
        default:
          // An unknown tag leaves the rest of the list unreadable.
          ok = false;
          break;
      }
    }
    if (!ok) break;
    params_.push_back(def);
  }
  va_end(args);
  wellFormed_ = ok;
  if (cd != nullptr) cd->AddParamBlockDesc(this);
}

ParamBlockDesc2::~ParamBlockDesc2() {
  if (cd != nullptr) cd->RemoveParamBlockDesc(this);
  if (dlgProc != nullptr) dlgProc->DeleteThis();
}

const ParamDef* ParamBlockDesc2::GetParamDef(ParamID id) const {
  int i = IDtoIndex(id);
  return i < 0 ? nullptr : &params_[size_t(i)];
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const {
  for (size_t i = 0; i < params_.size(); ++i) {
    if (params_[i].ID == id) return int(i);
  }
  return -1;
}

ParamID ParamBlockDesc2::IndextoID(int i) const {
  return (i >= 0 && i < int(params_.size())) ? params_[size_t(i)].ID : ParamID(-1);
}

void ParamBlockDesc2::SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc) {
  if (dlgProc != nullptr && dlgProc != proc) dlgProc->DeleteThis();
  dlgProc = proc;
  if (cd != nullptr) {
    if (IParamMap2* map = cd->GetParamMap(this, map_id)) map->SetUserDlgProc(proc);
  }
}

ParamMap2UserDlgProc* ParamBlockDesc2::GetUserDlgProc(MapID map_id) const { return dlgProc; }

// --- undo --------------------------------------------------------------------------------------

// One recorded parameter change. For node parameters it holds references to both nodes, so a node
// deleted meanwhile leaves an empty slot instead of a dangling pointer.
class ParamValueRestore : public HostRestoreObj, public ReferenceMaker {
 public:
  ParamValueRestore(IParamBlock2* block, ParamID id, const PB2Value& before, const PB2Value& after, bool nodes)
      : block_(block), id_(id), before_(before), after_(after), nodes_(nodes) {
    if (nodes_) {
      ReplaceReference(0, before.r, FALSE);
      ReplaceReference(1, after.r, FALSE);
    }
  }
  ~ParamValueRestore() override {
    if (!nodes_) return;
    ReplaceReference(0, nullptr, FALSE);
    ReplaceReference(1, nullptr, FALSE);
  }

  void Restore(int isUndo) override { block_->restoreValue(id_, before_); }
  void Redo() override { block_->restoreValue(id_, after_); }
  MSTR Description() override { return MSTR(L"Parameter change"); }
  bool RefersTo(const void* object) const override { return object == static_cast<const ReferenceMaker*>(block_); }

  SClass_ID SuperClassID() override { return 0; }
  int NumRefs() override { return nodes_ ? 2 : 0; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? before_.r : i == 1 ? after_.r : nullptr; }
  void SetReference(int i, RefTargetHandle rtarg) override {
    if (i == 0) before_.r = rtarg;
    if (i == 1) after_.r = rtarg;
  }
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override {
    return REF_SUCCEED;
  }

 private:
  IParamBlock2* block_;
  ParamID id_;
  PB2Value before_, after_;
  bool nodes_;
};

// --- block -------------------------------------------------------------------------------------

IParamBlock2::IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner) : desc_(desc), owner_(owner) {
  values_.resize(size_t(desc_->Count()));
  for (int i = 0; i < desc_->Count(); ++i) {
    const ParamDef& def = desc_->GetParamDefByIndex(i);
    if (!isReferenceType(def.type)) values_[size_t(i)] = def.def;
  }
}

IParamBlock2::~IParamBlock2() = default;

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pbdesc, ReferenceMaker* owner) {
  return new IParamBlock2(pbdesc, owner);
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  if (i < 0 || !isFloatType(desc_->GetParamDefByIndex(i).type)) return FALSE;
  v = values_[size_t(i)].f;
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  if (i < 0) return FALSE;
  ParamType2 type = desc_->GetParamDefByIndex(i).type;
  if (isFloatType(type) || isReferenceType(type)) return FALSE;
  v = values_[size_t(i)].i;
  return TRUE;
}

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, INode*& v, Interval& ivalid, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  if (i < 0 || desc_->GetParamDefByIndex(i).type != TYPE_INODE) return FALSE;
  v = static_cast<INode*>(values_[size_t(i)].r);
  return TRUE;
}

int IParamBlock2::GetInt(ParamID id, TimeValue t, int tabIndex) {
  int v = 0;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

float IParamBlock2::GetFloat(ParamID id, TimeValue t, int tabIndex) {
  float v = 0.0f;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

INode* IParamBlock2::GetINode(ParamID id, TimeValue t, int tabIndex) {
  INode* v = nullptr;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
  PB2Value value;
  value.f = v;
  int i = desc_->IDtoIndex(id);
  if (i < 0 || !isFloatType(desc_->GetParamDefByIndex(i).type)) return FALSE;
  return setValue(id, t, value, tabIndex);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  if (i < 0) return FALSE;
  ParamType2 type = desc_->GetParamDefByIndex(i).type;
  if (isReferenceType(type)) return FALSE;
  PB2Value value;
  if (isFloatType(type)) value.f = float(v);
  else value.i = v;
  return setValue(id, t, value, tabIndex);
}

BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, INode* v, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  if (i < 0 || desc_->GetParamDefByIndex(i).type != TYPE_INODE) return FALSE;
  PB2Value value;
  value.r = v;
  return setValue(id, t, value, tabIndex);
}

BOOL IParamBlock2::setValue(ParamID id, TimeValue t, PB2Value v, int tabIndex) {
  int i = desc_->IDtoIndex(id);
  const ParamDef& def = desc_->GetParamDefByIndex(i);
  if (def.hasRange) {
    if (isFloatType(def.type)) {
      if (std::isnan(v.f)) v.f = def.def.f;
      v.f = std::min(std::max(v.f, def.range_low.f), def.range_high.f);
    } else if (!isReferenceType(def.type)) {
      v.i = std::min(std::max(v.i, def.range_low.i), def.range_high.i);
    }
  } else if (def.type == TYPE_BOOL) {
    v.i = v.i != 0 ? 1 : 0;
  }
  const PB2Value before = values_[size_t(i)];
  if (isReferenceType(def.type) && v.r != nullptr && v.r != values_[size_t(i)].r &&
      ReplaceReference(i, v.r) != REF_SUCCEED) {
    return FALSE;  // a node that depends on this block's owner would close a loop
  }
  // The accessor finds the new number already in the block, so what it reads back (a rollout
  // refresh, say) is the state being set; whatever it leaves in `v` is what the block keeps.
  if (!isReferenceType(def.type)) values_[size_t(i)] = v;
  if (def.accessor != nullptr) def.accessor->Set(v, owner_, id, tabIndex, t);
  if (isReferenceType(def.type)) {
    if (v.r == nullptr) ReplaceReference(i, nullptr);
  } else {
    values_[size_t(i)] = v;
  }
  // Numbers and nodes are recorded. Other references are not: a target the block let go of may be
  // deleted already, and nodes are the only references parameters hold here.
  if (theHold.Holding() && !theHold.Restoring() && (!isReferenceType(def.type) || def.type == TYPE_INODE)) {
    theHold.Put(new ParamValueRestore(this, id, before, values_[size_t(i)], def.type == TYPE_INODE));
  }
  lastNotify_ = id;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  return TRUE;
}

void IParamBlock2::restoreValue(ParamID id, const PB2Value& v) {
  int i = desc_->IDtoIndex(id);
  if (i < 0) return;
  if (isReferenceType(desc_->GetParamDefByIndex(i).type)) {
    // A node the block no longer may refer to (it came to depend on the owner) stays unassigned.
    if (ReplaceReference(i, v.r) != REF_SUCCEED) ReplaceReference(i, nullptr);
  } else {
    values_[size_t(i)] = v;
  }
  lastNotify_ = id;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

RefTargetHandle IParamBlock2::GetReference(int i) {
  if (i < 0 || i >= int(values_.size()) || !isReferenceType(desc_->GetParamDefByIndex(i).type)) return nullptr;
  return values_[size_t(i)].r;
}

void IParamBlock2::SetReference(int i, RefTargetHandle rtarg) {
  if (i < 0 || i >= int(values_.size()) || !isReferenceType(desc_->GetParamDefByIndex(i).type)) return;
  values_[size_t(i)].r = rtarg;
}

RefResult IParamBlock2::NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                         RefMessage message) {
  for (int i = 0; i < int(values_.size()); ++i) {
    if (isReferenceType(desc_->GetParamDefByIndex(i).type) && values_[size_t(i)].r == hTarget) {
      lastNotify_ = desc_->IndextoID(i);
      break;
    }
  }
  return REF_SUCCEED;
}

ReferenceTarget* IParamBlock2::Clone(RemapDir& remap) {
  // The copy's owner is the maker that installs it, not this block's owner: the accessor must act
  // on the object that holds the values it sees.
  auto* copy = new IParamBlock2(desc_, nullptr);
  for (int i = 0; i < int(values_.size()); ++i) {
    if (isReferenceType(desc_->GetParamDefByIndex(i).type)) {
      if (values_[size_t(i)].r != nullptr) copy->ReplaceReference(i, remap.CloneRef(values_[size_t(i)].r));
    } else {
      copy->values_[size_t(i)] = values_[size_t(i)];
    }
  }
  BaseClone(this, copy, remap);
  return copy;
}

void IParamBlock2::RefAdded(ReferenceMaker* maker) {
  if (owner_ == nullptr) owner_ = maker;
}

// --- class descriptor --------------------------------------------------------------------------

ClassDesc2::~ClassDesc2() {
  for (ParamBlockDesc2* pbd : pbDescs_) pbd->cd = nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
  return (i >= 0 && i < int(pbDescs_.size())) ? pbDescs_[size_t(i)] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
  for (ParamBlockDesc2* pbd : pbDescs_) {
    if (pbd->ID == id) return pbd;
  }
  return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) { pbDescs_.push_back(pbd); }

void ClassDesc2::RemoveParamBlockDesc(ParamBlockDesc2* pbd) {
  pbDescs_.erase(std::remove(pbDescs_.begin(), pbDescs_.end(), pbd), pbDescs_.end());
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
  for (ParamBlockDesc2* pbd : pbDescs_) {
    if (!(pbd->flags & P_AUTO_CONSTRUCT)) continue;
    owner->ReplaceReference(pbd->ref_no, CreateParameterBlock2(pbd, owner));
  }
}
