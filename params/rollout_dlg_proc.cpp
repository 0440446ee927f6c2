// The rollout's dialog procedure.
#include "params/rollout_dlg_proc.h"

#include <shellapi.h>

#include "custcont.h"
#include "icolorman.h"
#include "modifier/ambiflex.h"
#include "plugin/library_statics.h"
#include "plugin/resource.h"

namespace {

// The product's web page.
const wchar_t kAboutPage[] = L"https://www.tollwickplugins.com/plugins/Velomorph.htm";
// The colour a checked pick button lights up with.
const int kPickHighlightColor = 4;

// Takes the custom-button interface of pick button `id` into `slot`, giving back one left from an
// earlier rollout first, and makes it a check button that lights up while picking.
void takePickButton(HWND hWnd, int id, ICustButton*& slot) {
  if (slot != nullptr) ReleaseICustButton(slot);
  slot = GetICustButton(GetDlgItem(hWnd, id));
  if (slot == nullptr) return;
  slot->SetType(CBT_CHECK);
  slot->SetHighlightColor(GetColorManager()->GetColor(kPickHighlightColor));
}

void startPicking(ambiflex* mod, int pickAsymmetry) {
  thePickMode.pickAsymmetry = pickAsymmetry;
  thePickMode.modifier = mod;
  GetCOREInterface()->SetPickMode(&thePickMode);
}

}  // namespace

INT_PTR ambiflexParamsMapDlgProc::DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                                          LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      mod_->hwndRollout = hWnd;
      mod_->UpdateRolloutState();
      takePickButton(hWnd, IDC_TARGET_PICK, targetPickButton);
      takePickButton(hWnd, IDC_ASYM_PICK, asymmetryPickButton);
      break;
    case WM_COMMAND:
      command(hWnd, LOWORD(wParam));
      break;
    case CC_SPINNER_CHANGE:
      if (LOWORD(wParam) == IDC_AXIS_OFFSET_SPIN) {
        mod_->resetTarget();
        mod_->resetMatch();
      }
      break;
    default:
      break;
  }
  return FALSE;
}

void ambiflexParamsMapDlgProc::command(HWND hWnd, int id) {
  switch (id) {
    case IDC_AXIS_X:
    case IDC_AXIS_Y:
    case IDC_AXIS_Z:
      mod_->reset();
      mod_->resetMatch();
      mod_->UpdateRolloutState();
      break;
    case IDC_OP_MIRROR:
    case IDC_OP_FLIP:
    case IDC_OP_RESET:
    case IDC_CONSTANT_UPDATE:
    case IDC_OPERATE_ON_SELECTION:
    case IDC_OPERATE_ONLY_ON_SELECTION:
      mod_->reset();
      mod_->UpdateRolloutState();
      break;
    case IDC_TARGET_PICK:
      startPicking(mod_, 0);
      break;
    case IDC_ASYM_PICK:
      startPicking(mod_, 1);
      break;
    case IDC_CACHE_TARGET:
      mod_->resetTarget();
      mod_->resetMatch();
      mod_->reset();
      mod_->UpdateRolloutState();
      break;
    case IDC_DIR_NEGATIVE:
    case IDC_DIR_POSITIVE:
      mod_->UpdateRolloutState();
      mod_->reset();
      break;
    case IDC_UPDATE:
      mod_->reset();
      mod_->resetTarget();
      mod_->UpdateRolloutState();
      break;
    case IDC_AXIS_OFFSET_EDIT:
      mod_->resetTarget();
      mod_->resetMatch();
      mod_->UpdateRolloutState();
      break;
    case IDC_IGNORE_SO:
      mod_->reset();
      break;
    case IDC_ABOUT:
      ShellExecuteW(hWnd, L"open", kAboutPage, L"", L"", 0);
      break;
    default:
      // Ids outside the rollout's range, and the controls whose parameter needs no reset.
      break;
  }
}
