// Parameter maps: the rollout a class descriptor opens for a parameter block description. The map
// builds the dialog from the description's template in the class's module, binds each control to
// its parameter both ways, and hands every message on to the plug-in's user dialog procedure after
// its own handling. Pick-node buttons only show their node's name here: picking is the plug-in's.
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "custcont.h"
#include "hold.h"
#include "inode.h"
#include "iparamm2.h"
#include "module_resources.h"
#include "window_tree.h"

namespace {

bool isFloatParam(const ParamDef& def) {
  return def.type == TYPE_FLOAT || def.type == TYPE_ANGLE || def.type == TYPE_PCNT_FRAC || def.type == TYPE_WORLD ||
         def.type == TYPE_COLOR_CHANNEL;
}

// A spinner edit's text: integers as they are; other numbers with one to three decimals.
std::wstring formatNumber(float value, bool integer) {
  char buffer[64];
  if (integer) std::snprintf(buffer, sizeof(buffer), "%d", int(value));
  else std::snprintf(buffer, sizeof(buffer), "%.3f", double(value));
  std::string text = buffer;
  if (!integer) {
    while (text.size() > 1 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
  }
  return std::wstring(text.begin(), text.end());
}

bool parseNumber(const std::wstring& text, float& r_value) {
  const wchar_t* start = text.c_str();
  wchar_t* end = nullptr;
  double v = std::wcstod(start, &end);
  if (end == start) return false;
  while (*end == L' ') ++end;
  if (*end != L'\0') return false;
  r_value = float(v);
  return true;
}

class ParamMap : public IParamMap2 {
 public:
  ParamMap(ParamBlockDesc2* desc, IParamBlock2* block, HWND window) : desc_(desc), block_(block), window_(window) {
    if (HWND__* w = LiveWindow(window_)) {
      w->handler = [this](HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        return handle(msg, wParam, lParam);
      };
      for (int i = 0; i < desc_->Count(); ++i) prepare(desc_->GetParamDefByIndex(i));
    }
    Invalidate(-1, -1);
  }

  ~ParamMap() override {
    if (proc_ != nullptr && LiveWindow(window_) != nullptr) forward(WM_DESTROY, 0, 0);
    DestroyDialogWindow(window_);
  }

  HWND GetHWnd() override { return LiveWindow(window_); }
  IParamBlock2* GetParamBlock() override { return block_; }
  ParamMap2UserDlgProc* GetUserDlgProc() override { return proc_; }
  ParamBlockDesc2* Desc() const { return desc_; }

  void SetUserDlgProc(ParamMap2UserDlgProc* proc) override {
    proc_ = proc;
    // The procedure joins an open dialog: it initialises as if the dialog had just opened.
    if (proc_ != nullptr && LiveWindow(window_) != nullptr) forward(WM_INITDIALOG, 0, 0);
  }

  void Invalidate(ParamID id, int tabIndex) override {
    if (LiveWindow(window_) == nullptr || block_ == nullptr) return;
    for (int i = 0; i < desc_->Count(); ++i) {
      const ParamDef& def = desc_->GetParamDefByIndex(i);
      if (def.hasUI && (id < 0 || def.ID == id)) show(def);
    }
  }

 private:
  HWND__* control(int id) { return LiveControl(window_, id); }

  // Spinner limits from the parameter's range, and the template caption a pick button shows while
  // no node is assigned.
  void prepare(const ParamDef& def) {
    if (!def.hasUI) return;
    if (def.ctrl_type == TYPE_SPINNER && def.ctrl_IDs.size() >= 2) {
      if (HWND__* spinner = control(def.ctrl_IDs[1])) {
        float low = -3.0e38f, high = 3.0e38f;
        if (def.hasRange) {
          low = isFloatParam(def) ? def.range_low.f : float(def.range_low.i);
          high = isFloatParam(def) ? def.range_high.f : float(def.range_high.i);
        }
        spinner->state.minimum = low;
        spinner->state.maximum = high;
      }
    }
    if (def.ctrl_type == TYPE_PICKNODEBUTTON && !def.ctrl_IDs.empty()) {
      if (HWND__* button = control(def.ctrl_IDs[0])) emptyCaptions_[def.ID] = button->state.text;
    }
  }

  // Controls from the block.
  void show(const ParamDef& def) {
    TimeValue t = GetCOREInterface()->GetTime();
    switch (def.ctrl_type) {
      case TYPE_SINGLECHEKBOX:
      case TYPE_CHECKBUTTON:
        if (HWND__* c = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0]))
          c->state.checked = block_->GetInt(def.ID, t) != 0;
        break;
      case TYPE_RADIO: {
        int value = block_->GetInt(def.ID, t);
        for (size_t k = 0; k < def.ctrl_IDs.size(); ++k) {
          if (HWND__* c = control(def.ctrl_IDs[k])) c->state.checked = int(k) == value;
        }
        break;
      }
      case TYPE_SPINNER: {
        float value = isFloatParam(def) ? block_->GetFloat(def.ID, t) : float(block_->GetInt(def.ID, t));
        if (HWND__* edit = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0]))
          edit->state.text = formatNumber(value, !isFloatParam(def));
        if (HWND__* spinner = def.ctrl_IDs.size() < 2 ? nullptr : control(def.ctrl_IDs[1]))
          spinner->state.value = value;
        break;
      }
      case TYPE_PICKNODEBUTTON:
        if (HWND__* c = def.ctrl_IDs.empty() ? nullptr : control(def.ctrl_IDs[0])) {
          INode* node = block_->GetINode(def.ID, t);
          c->state.text = node != nullptr ? std::wstring(node->GetName()) : emptyCaptions_[def.ID];
        }
        break;
      default:
        break;
    }
  }

  const ParamDef* boundTo(int controlId) const {
    for (int i = 0; i < desc_->Count(); ++i) {
      const ParamDef& def = desc_->GetParamDefByIndex(i);
      if (!def.hasUI) continue;
      for (int id : def.ctrl_IDs) {
        if (id == controlId) return &def;
      }
    }
    return nullptr;
  }

  // The block from a control the user changed, as one undoable step.
  void takeFromControl(const ParamDef& def, int controlId) {
    HWND__* c = control(controlId);
    if (c == nullptr || block_ == nullptr) return;
    TimeValue t = GetCOREInterface()->GetTime();
    bool ownStep = !theHold.Holding();
    if (ownStep) theHold.Begin();
    switch (def.ctrl_type) {
      case TYPE_SINGLECHEKBOX:
      case TYPE_CHECKBUTTON:
        block_->SetValue(def.ID, t, c->state.checked ? 1 : 0);
        break;
      case TYPE_RADIO:
        for (size_t k = 0; k < def.ctrl_IDs.size(); ++k) {
          if (def.ctrl_IDs[k] == controlId) block_->SetValue(def.ID, t, int(k));
        }
        break;
      case TYPE_SPINNER: {
        float value = c->state.value;
        bool fromEdit = controlId == def.ctrl_IDs[0];
        if (!fromEdit || parseNumber(c->state.text, value)) {
          if (isFloatParam(def)) block_->SetValue(def.ID, t, value);
          else block_->SetValue(def.ID, t, int(value));
        }
        break;
      }
      default:
        break;
    }
    if (ownStep) theHold.Accept(L"Parameter Change");
    show(def);
  }

  INT_PTR handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND || msg == CC_SPINNER_CHANGE) {
      int id = LOWORD(wParam);
      // A spinner reports through CC_SPINNER_CHANGE, every other control through WM_COMMAND.
      if (const ParamDef* def = boundTo(id)) {
        bool spinnerMessage = msg == CC_SPINNER_CHANGE;
        bool isSpinner = def->ctrl_type == TYPE_SPINNER && def->ctrl_IDs.size() >= 2 && def->ctrl_IDs[1] == id;
        if (spinnerMessage == isSpinner) takeFromControl(*def, id);
      }
    }
    return forward(msg, wParam, lParam);
  }

  INT_PTR forward(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (proc_ == nullptr) return FALSE;
    return proc_->DlgProc(GetCOREInterface()->GetTime(), this, window_, msg, wParam, lParam);
  }

  ParamBlockDesc2* desc_;
  IParamBlock2* block_;
  HWND window_;
  ParamMap2UserDlgProc* proc_ = nullptr;
  std::map<ParamID, std::wstring> emptyCaptions_;
};

std::vector<std::unique_ptr<ParamMap>>& openMaps() {
  static std::vector<std::unique_ptr<ParamMap>> maps;
  return maps;
}

IParamBlock2* blockOf(ReferenceMaker* obj, ParamBlockDesc2* desc) {
  for (int i = 0; i < obj->NumRefs(); ++i) {
    auto* pb = dynamic_cast<IParamBlock2*>(obj->GetReference(i));
    if (pb != nullptr && pb->GetDesc() == desc) return pb;
  }
  return nullptr;
}

std::wstring moduleString(HINSTANCE module, int id) {
  wchar_t buffer[256];
  return LoadStringW(module, UINT(id), buffer, 256) > 0 ? std::wstring(buffer) : std::wstring();
}

}  // namespace

void ClassDesc2::BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev) {
  for (ParamBlockDesc2* pbd : pbDescs_) {
    if (!(pbd->flags & P_AUTO_UI)) continue;
    IParamBlock2* block = blockOf(obj, pbd);
    const ModuleResources* resources = ResourcesOfModule(HInstance());
    const DialogTemplate* dialog = resources ? resources->FindDialog(unsigned(pbd->dlg_template)) : nullptr;
    HWND window = nullptr;
    if (dialog != nullptr && block != nullptr) {
      window = CreateDialogWindow(*dialog, moduleString(HInstance(), pbd->title));
    } else {
      // The panel stays empty; the user is told why instead of seeing nothing.
      const MCHAR* name = ClassName();
      std::wstring why = dialog == nullptr
                             ? L"its module has no dialog template " + std::to_wstring(pbd->dlg_template)
                             : std::wstring(L"the object has no parameter block for it");
      GetCOREInterface()->Report(L"The rollout of " + std::wstring(name ? name : L"this class") +
                                 L" cannot be shown: " + why + L".");
    }
    auto map = std::make_unique<ParamMap>(pbd, block, window);
    map->SetUserDlgProc(pbd->dlgProc);
    openMaps().push_back(std::move(map));
  }
}

void ClassDesc2::EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next) {
  auto& maps = openMaps();
  for (size_t i = 0; i < maps.size();) {
    ParamBlockDesc2* pbd = maps[i]->Desc();
    if (pbd->cd != this) {
      ++i;
      continue;
    }
    // The window goes first (its procedure sees WM_DESTROY), then the procedure the host owns.
    maps.erase(maps.begin() + long(i));
    if (pbd->dlgProc != nullptr) {
      pbd->dlgProc->DeleteThis();
      pbd->dlgProc = nullptr;
    }
  }
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex) {
  invalidatedParams.push_back(id);
  if (IParamMap2* map = GetParamMap(pbd)) map->Invalidate(id, tabIndex);
}

IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, MapID id) {
  for (auto& map : openMaps()) {
    if (map->Desc() == pbd) return map.get();
  }
  return nullptr;
}
