// Parameter blocks: a ParamBlockDesc2 describes a class's parameters once (built from a tagged
// argument list, as plug-ins write it); each object gets an IParamBlock2 holding its values; a
// PBAccessor sees every value set; ClassDesc2 ties descriptions to the class and builds blocks and
// rollouts from them.
#pragma once

#include <cstdarg>
#include <memory>
#include <vector>

#include "maxapi.h"
#include "plugapi.h"
#include "ref.h"

class INode;
class ParamBlockDesc2;
class IParamBlock2;
class IParamMap2;
class ParamMap2UserDlgProc;

// A display name: a string-table id of the plug-in, or (when not a small integer) a pointer to a
// literal text.
typedef INT_PTR StringResID;
#define IS_STRING_RESOURCE_ID(s) ((std::uintptr_t)(s) < 0x10000)

// Parameter types.
enum ParamType2 {
  TYPE_FLOAT = 0, TYPE_INT = 1, TYPE_RGBA = 2, TYPE_POINT3 = 3, TYPE_BOOL = 4, TYPE_ANGLE = 5,
  TYPE_PCNT_FRAC = 6, TYPE_WORLD = 7, TYPE_STRING = 8, TYPE_FILENAME = 9, TYPE_HSV = 10,
  TYPE_COLOR_CHANNEL = 11, TYPE_TIMEVALUE = 12, TYPE_RADIOBTN_INDEX = 13, TYPE_MTL = 14,
  TYPE_TEXMAP = 15, TYPE_BITMAP = 16, TYPE_INODE = 17, TYPE_REFTARG = 18, TYPE_INDEX = 19,
  TYPE_MATRIX3 = 20, TYPE_PBLOCK2 = 21, TYPE_POINT4 = 22, TYPE_FRGBA = 23, TYPE_ENUM = 24,
  TYPE_VOID = 25
};

// Control types of the automatic user interface.
enum ControlType2 {
  TYPE_SPINNER = 0, TYPE_RADIO = 1, TYPE_SINGLECHEKBOX = 2, TYPE_MULTILIST = 3,
  TYPE_COLORSWATCH = 4, TYPE_PICKNODEBUTTON = 5, TYPE_CHECKBUTTON = 6, TYPE_EDITBOX = 7
};

// Spinner edit types.
enum EditSpinnerType { EDITTYPE_INT = 1, EDITTYPE_FLOAT = 2, EDITTYPE_UNIVERSE = 3, EDITTYPE_POS_FLOAT = 4 };
#define SPIN_AUTOSCALE -1.0f

// Tags of the description's argument list. They are negative so they never read as a parameter id.
enum ParamTags {
  p_end = -0x40000000,
  p_default,
  p_range,
  p_ui,
  p_prompt,
  p_accessor,
  p_tooltip,
  p_enabled
};

// Block flags.
#define P_AUTO_CONSTRUCT 0x0002
#define P_AUTO_UI 0x0004


class PB2Value {
 public:
  int i = 0;
  float f = 0.0f;
  ReferenceTarget* r = nullptr;
};

// One parameter as the description states it.
struct ParamDef {
  ParamID ID = -1;
  const MCHAR* int_name = nullptr;
  ParamType2 type = TYPE_INT;
  int flags = 0;
  StringResID local_name = 0;
  PB2Value def;
  bool hasRange = false;
  PB2Value range_low, range_high;
  bool hasUI = false;
  ControlType2 ctrl_type = TYPE_SPINNER;
  std::vector<int> ctrl_IDs;  // controls of the rollout bound to this parameter, in value order
  EditSpinnerType spin_type = EDITTYPE_FLOAT;
  double spin_scale = 0.0;
  int prompt = 0;  // string id
  class PBAccessor* accessor = nullptr;
};

class PBAccessor {
 public:
  virtual ~PBAccessor() = default;
  virtual void Get(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t,
                   Interval& valid) {}
  virtual void Set(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t) {}
  virtual BOOL KeyFrameAtTime(ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t) { return FALSE; }
  virtual MSTR GetLocalName(ReferenceMaker* owner, ParamID id, int tabIndex) { return MSTR(); }
  virtual void TabChanged(int changeCode, void* tab, ReferenceMaker* owner, ParamID id, int tabIndex,
                          int count) {}
  virtual void DeleteThis() {}
};

class ClassDesc2 : public ClassDesc {
 public:
  ~ClassDesc2() override;

  int NumParamBlockDescs() { return int(pbDescs_.size()); }
  ParamBlockDesc2* GetParamBlockDesc(int i);
  ParamBlockDesc2* GetParamBlockDescByID(BlockID id);
  void AddParamBlockDesc(ParamBlockDesc2* pbd);
  void RemoveParamBlockDesc(ParamBlockDesc2* pbd);

  // Builds the blocks of every P_AUTO_CONSTRUCT description and installs each as the owner's
  // reference given by its description.
  virtual void MakeAutoParamBlocks(ReferenceMaker* owner);
  // Opens (closes) the rollout of every P_AUTO_UI description for `obj`: a dialog built from the
  // description's template in this class's module (HInstance), titled with its title string, each
  // control bound to its parameter. Closing sends the user dialog procedure
  // WM_DESTROY, destroys the window and disposes of the procedure (DeleteThis).
  virtual void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
  virtual void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next);
  // Refreshes the control bound to parameter `id` in any open rollout of `pbd`.
  virtual void InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex = -1);
  // The open parameter map of `pbd` (one per description here), or null.
  IParamMap2* GetParamMap(ParamBlockDesc2* pbd, MapID id = 0);

  // Host bookkeeping, read by tests: parameters whose controls were refreshed, in order.
  std::vector<ParamID> invalidatedParams;

 private:
  std::vector<ParamBlockDesc2*> pbDescs_;
};

class ParamBlockDesc2 {
 public:
  // The tagged argument list: block id, internal name, display name id, class descriptor, flags;
  // with P_AUTO_CONSTRUCT the owner's reference number; with P_AUTO_UI the dialog template id,
  // title string id, test flags, rollup flags and user dialog procedure; then each parameter as
  // id, internal name, type, flags, display name (StringResID) and its tags up to p_end; a final
  // p_end. The description registers itself with the class descriptor.
  ParamBlockDesc2(BlockID id, const MCHAR* int_name, StringResID local_name, ClassDesc2* cd, int flags, ...);
  ~ParamBlockDesc2();

  BlockID ID;
  const MCHAR* int_name;
  StringResID local_name;
  ClassDesc2* cd;
  int flags;
  int ref_no = 0;
  int dlg_template = 0;
  int title = 0;
  int test_flags = 0;
  int rollup_flags = 0;
  ParamMap2UserDlgProc* dlgProc = nullptr;

  int Count() const { return int(params_.size()); }
  // The definition of parameter `id`, or null.
  const ParamDef* GetParamDef(ParamID id) const;
  const ParamDef& GetParamDefByIndex(int i) const { return params_[size_t(i)]; }
  int IDtoIndex(ParamID id) const;
  ParamID IndextoID(int i) const;
  void InvalidateUI(ParamID id, int tabIndex = -1) { if (cd) cd->InvalidateUI(this, id, tabIndex); }
  // Installs the user dialog procedure of rollout `map_id`; the host owns it from then on. When the
  // rollout is open, the procedure gets WM_INITDIALOG at once.
  void SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc);
  ParamMap2UserDlgProc* GetUserDlgProc(MapID map_id = 0) const;
  // Whether the argument list was read to its final p_end without an unknown tag.
  bool WellFormed() const { return wellFormed_; }

 private:
  std::vector<ParamDef> params_;
  bool wellFormed_ = false;
};

class ParamValueRestore;

class IParamBlock2 : public ReferenceTarget {
 public:
  explicit IParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner);
  // Drops the undo records of this block.
  ~IParamBlock2() override;

  SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
  BlockID ID() const { return desc_->ID; }
  ParamBlockDesc2* GetDesc() { return desc_; }
  // The maker the block belongs to: the one given at construction or, for a block made without
  // one (a clone), the first maker that refers to it.
  ReferenceMaker* GetOwner() { return owner_; }
  void SetOwner(ReferenceMaker* owner) { owner_ = owner; }
  int NumParams() const { return desc_->Count(); }

  // Reads parameter `id` at t; FALSE (and `v` unchanged) for an unknown id or a type mismatch.
  BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0);
  BOOL GetValue(ParamID id, TimeValue t, INode*& v, Interval& ivalid, int tabIndex = 0);
  int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
  float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
  INode* GetINode(ParamID id, TimeValue t = 0, int tabIndex = 0);

  // Sets parameter `id`: clamps numbers to the declared range, lets the accessor see (and change)
  // the value, keeps what the accessor left, and notifies dependents with REFMSG_CHANGE; while
  // theHold is open a change of a number or a node is recorded for undo. While the accessor runs
  // the block already holds a new number (so what it reads back is the state being set); a new
  // node is referred to before it runs, a cleared one dropped after. FALSE for an unknown id, a
  // type mismatch, or a node that depends on the block's owner (a reference loop).
  BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0);
  BOOL SetValue(ParamID id, TimeValue t, INode* v, int tabIndex = 0);
  ParamID LastNotifyParamID() const { return lastNotify_; }

  int NumRefs() override { return desc_->Count(); }
  RefTargetHandle GetReference(int i) override;
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override;
  // A copy of the values without an owner: it belongs to whoever takes the first reference to it.
  ReferenceTarget* Clone(RemapDir& remap) override;
  void RefAdded(ReferenceMaker* maker) override;

 private:
  friend class ParamValueRestore;
  BOOL setValue(ParamID id, TimeValue t, PB2Value v, int tabIndex);
  // Puts a recorded value back (undo and redo): no range, no accessor, one change message.
  void restoreValue(ParamID id, const PB2Value& v);

  ParamBlockDesc2* desc_;
  ReferenceMaker* owner_;
  std::vector<PB2Value> values_;
  ParamID lastNotify_ = -1;
};

// A new block of `pbdesc` with its defaults, owned by `owner` (which installs it as a reference).
IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pbdesc, ReferenceMaker* owner);
