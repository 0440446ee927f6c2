// Parameter maps: the rollout a ClassDesc2 builds from a block description and its dialog template,
// binding each control to its parameter, and the plug-in's own dialog procedure on top of it.
#pragma once

#include "iparamb2.h"

class ParamMap2UserDlgProc {
 public:
  virtual ~ParamMap2UserDlgProc() = default;
  virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                          LPARAM lParam) = 0;
  virtual void DeleteThis() = 0;
  virtual void SetThing(ReferenceTarget* m) {}
  virtual void Update(TimeValue t) {}
  virtual void Update(TimeValue t, Interval& valid, IParamMap2* pmap) { Update(t); }
  virtual void SetParamBlock(IParamBlock2* pb) {}
};

class IParamMap2 {
 public:
  virtual ~IParamMap2() = default;
  // The rollout's window, or null while none is shown.
  virtual HWND GetHWnd() = 0;
  virtual IParamBlock2* GetParamBlock() = 0;
  virtual void SetUserDlgProc(ParamMap2UserDlgProc* proc) = 0;
  virtual ParamMap2UserDlgProc* GetUserDlgProc() = 0;
  // Brings the controls of parameter `id` (all with -1) back in step with the block.
  virtual void Invalidate(ParamID id = -1, int tabIndex = -1) = 0;
};
