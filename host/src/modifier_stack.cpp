// Modifier contexts, the modifier stack and its pipeline evaluation, and the modifier's own
// scene-file data.
#include <new>
#include <set>
#include <string>

#include "derived_object.h"
#include "inode.h"
#include "maxapi.h"
#include "tab.h"

ModContext::ModContext() = default;

ModContext::ModContext(const ModContext& mc) {
  if (mc.tm) tm = new Matrix3(*mc.tm);
  if (mc.box) box = new Box3(*mc.box);
  if (mc.localData) localData = mc.localData->Clone();
}

ModContext::~ModContext() {
  delete tm;
  delete box;
  delete localData;
}

namespace {
const unsigned short kModifierNameChunk = 0x0100;
const unsigned short kModifierEnabledChunk = 0x0110;
const ULONGLONG kLongestName = 1u << 16;
}  // namespace

IOResult Modifier::Save(ISave* isave) {
  std::string name = name_.ToUTF8();
  ULONG written = 0;
  isave->BeginChunk(kModifierNameChunk);
  isave->Write(name.data(), ULONG(name.size()), &written);
  isave->EndChunk();
  int enabled = enabled_ ? 1 : 0;
  isave->BeginChunk(kModifierEnabledChunk);
  isave->Write(&enabled, sizeof(enabled), &written);
  isave->EndChunk();
  return IO_OK;
}

IOResult Modifier::Load(ILoad* iload) {
  while (iload->OpenChunk() == IO_OK) {
    ULONG got = 0;
    if (iload->CurChunkID() == kModifierNameChunk) {
      // Names are short; a longer chunk is damage and keeps the name the modifier has.
      const ULONGLONG length = iload->CurChunkLength();
      std::string name(length <= kLongestName ? size_t(length) : 0, '\0');
      if (length <= kLongestName && (name.empty() || iload->Read(name.data(), ULONG(name.size()), &got) == IO_OK)) {
        name_ = MSTR::FromUTF8(name);
      }
    } else if (iload->CurChunkID() == kModifierEnabledChunk) {
      int enabled = 1;
      if (iload->Read(&enabled, sizeof(enabled), &got) == IO_OK && got == sizeof(enabled)) enabled_ = enabled != 0;
    }
    iload->CloseChunk();
  }
  return IO_OK;
}

IDerivedObject* CreateDerivedObject(Object* obj) { return new DerivedObject(obj); }

DerivedObject::DerivedObject(Object* obj) {
  if (obj != nullptr) ReplaceReference(0, obj);
}

DerivedObject::~DerivedObject() {
  contexts_.clear();
  DeleteAllRefs();
}

Modifier* DerivedObject::GetModifier(int index) {
  return (index >= 0 && index < int(mods_.size())) ? mods_[size_t(index)] : nullptr;
}

ModContext* DerivedObject::GetModContext(int index) {
  return (index >= 0 && index < int(contexts_.size())) ? contexts_[size_t(index)].get() : nullptr;
}

void DerivedObject::AddModifier(Modifier* mod, ModContext* mc, int before) {
  if (before < 0 || before > int(mods_.size())) before = 0;
  // References shift with the stack: drop them, insert, take them again in the new order.
  std::vector<Modifier*> mods = mods_;
  for (int i = int(mods_.size()); i >= 1; --i) ReplaceReference(i, nullptr, FALSE);
  mods.insert(mods.begin() + before, mod);
  contexts_.insert(contexts_.begin() + before, std::unique_ptr<ModContext>(mc ? mc : new ModContext()));
  mods_.assign(mods.size(), nullptr);
  for (size_t i = 0; i < mods.size(); ++i) ReplaceReference(int(i) + 1, mods[i], FALSE);
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void DerivedObject::DeleteModifier(int index) {
  if (index < 0 || index >= int(mods_.size())) return;
  std::vector<Modifier*> mods = mods_;
  Modifier* removed = mods[size_t(index)];
  for (int i = int(mods_.size()); i >= 1; --i) ReplaceReference(i, nullptr, FALSE);
  mods.erase(mods.begin() + index);
  contexts_.erase(contexts_.begin() + index);
  mods_.assign(mods.size(), nullptr);
  for (size_t i = 0; i < mods.size(); ++i) ReplaceReference(int(i) + 1, mods[i], FALSE);
  if (removed != nullptr && removed->Dependents().empty()) removed->MaybeAutoDelete();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void DerivedObject::ReferenceObject(Object* obj) { ReplaceReference(0, obj); }

Object* DerivedObject::MakeShallowCopy(ChannelMask channels) {
  return object_ ? object_->MakeShallowCopy(channels) : nullptr;
}

RefTargetHandle DerivedObject::GetReference(int i) {
  if (i == 0) return object_;
  return GetModifier(i - 1);
}

void DerivedObject::SetReference(int i, RefTargetHandle rtarg) {
  if (i == 0) {
    object_ = static_cast<Object*>(rtarg);
    return;
  }
  if (i - 1 >= 0 && i - 1 < int(mods_.size())) mods_[size_t(i - 1)] = static_cast<Modifier*>(rtarg);
}

static std::wstring describeFailure(Modifier* mod, INode* node, const char* what) {
  MSTR cls;
  mod->GetClassName(cls);
  std::wstring text = L"Modifier ";
  text += cls.str();
  text += L" failed on node ";
  text += node ? node->GetName() : L"(none)";
  text += L": ";
  text += MSTR::FromUTF8(what).str();
  text += L". It was skipped; the object is handed on as it was before it.";
  return text;
}

ObjectState DerivedObject::EvalPipeline(TimeValue t, INode* node, std::unique_ptr<Object>& owned) {
  std::set<int> skipped;
  // Copying into the previous result's storage spares a dense mesh its reallocation.
  std::unique_ptr<Object> spare = std::move(owned);
  for (;;) {
    owned.reset();
    if (object_ == nullptr) return ObjectState();
    ObjectState os;
    if (auto* inner = dynamic_cast<DerivedObject*>(object_)) {
      std::unique_ptr<Object> innerOwned;
      os = inner->EvalPipeline(t, node, innerOwned);
      owned = std::move(innerOwned);
    } else {
      os = object_->Eval(t);
    }
    if (os.obj == nullptr) return os;
    if (!owned) {
      if (spare && os.obj->CopyStateInto(spare.get())) owned = std::move(spare);
      else owned.reset(os.obj->MakeShallowCopy(ALL_CHANNELS));
      os.obj = owned.get();
    }
    int failedAt = -1;
    for (int k = int(mods_.size()) - 1; k >= 0; --k) {
      Modifier* mod = mods_[size_t(k)];
      if (mod == nullptr || !mod->IsEnabled() || skipped.count(k)) continue;
      try {
        mod->ModifyObject(t, *contexts_[size_t(k)], &os, node);
      } catch (const std::bad_alloc&) {
        // Running out of memory is no fault of the modifier, and evaluating again without it would
        // hide it: the program that asked for the evaluation hears of it.
        throw;
      } catch (const std::exception& e) {
        GetCOREInterface()->Report(describeFailure(mod, node, e.what()));
        failedAt = k;
        break;
      }
      if (os.obj != owned.get()) owned.reset(os.obj);
    }
    if (failedAt < 0) return os;
    // The failed modifier may have changed the object half-way: evaluate again without it.
    skipped.insert(failedAt);
  }
}
