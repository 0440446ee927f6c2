// The rollout's dialog procedure: on top of the parameter map's own binding it turns control
// events into cache resets on the modifier, starts node picking for the two pick buttons and opens
// the About page. One is made each time editing begins; the host owns it and disposes of it through
// DeleteThis. The modifier must outlive it (the map goes away before the modifier).
#pragma once

#include "iparamm2.h"

class ambiflex;

class ambiflexParamsMapDlgProc : public ParamMap2UserDlgProc {
 public:
  explicit ambiflexParamsMapDlgProc(ambiflex* mod) : mod_(mod) {}
  // Handles WM_INITDIALOG, WM_COMMAND and CC_SPINNER_CHANGE; FALSE for every message.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void DeleteThis() override { delete this; }

 private:
  void command(HWND hWnd, int id);

  ambiflex* const mod_;
};
