// Parameter maps end to end: a class whose module is the resource loader's test module opens a
// rollout from that module's dialog, binds its check box to a parameter both ways, and lets its
// user dialog procedure see every message after the map's own handling.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

#include <memory>
#include <string>
#include <vector>

#include "hold.h"
#include "host/data/resources_test.h"
#include "iparamm2.h"
#include "user_input.h"
#include "window_model.h"
#include "windows/window_display.h"

namespace {

// The resource test module, opened as the platform opens a module: its handle, the module handle
// (on Linux its load base) and why it could not be opened.
#if defined(_WIN32)
void* openModule(const char* path) { return LoadLibraryA(path); }
void closeModule(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
HINSTANCE baseOf(void* handle) { return static_cast<HINSTANCE>(handle); }
std::string moduleError() { return "error " + std::to_string(GetLastError()); }
#else
void* openModule(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void closeModule(void* handle) { dlclose(handle); }
HINSTANCE baseOf(void* handle) {
  link_map* map = nullptr;
  if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return reinterpret_cast<HINSTANCE>(map->l_addr);
}
std::string moduleError() { return dlerror(); }
#endif

class TestClassDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return L"Tester"; }
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x1234, 0x5678); }
  const MCHAR* Category() override { return L""; }
  HINSTANCE HInstance() override { return module; }
  HINSTANCE module = nullptr;
};

// The object being edited: holds the block as its reference 0 and refreshes the rollout's control of
// a changed parameter, as plug-in objects do.
class EditedObject : public ReferenceTarget {
 public:
  explicit EditedObject(ParamBlockDesc2* desc) : desc_(desc) {}
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return block; }
  void SetReference(int i, RefTargetHandle rtarg) override { block = static_cast<IParamBlock2*>(rtarg); }
  RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message) override {
    if (message == REFMSG_CHANGE && block != nullptr) desc_->InvalidateUI(block->LastNotifyParamID());
    return REF_SUCCEED;
  }
  IParamBlock2* block = nullptr;

 private:
  ParamBlockDesc2* desc_;
};

struct Seen {
  UINT msg;
  int id;
  int value;  // the parameter when the message arrived
};

class RecordingDlgProc : public ParamMap2UserDlgProc {
 public:
  RecordingDlgProc(std::vector<Seen>& seen, bool& deleted) : seen_(seen), deleted_(deleted) {}
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen_.push_back({msg, LOWORD(wParam), map->GetParamBlock()->GetInt(0)});
    return FALSE;
  }
  void DeleteThis() override {
    deleted_ = true;
    delete this;
  }

 private:
  std::vector<Seen>& seen_;
  bool& deleted_;
};

class ParamMapRollout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(handle, nullptr) << moduleError();
    cd.module = baseOf(handle);
    theHold.Flush();
    GetCOREInterface()->ClearReports();
    object.ReplaceReference(0, CreateParameterBlock2(&desc, &object));
  }
  void TearDown() override {
    cd.EndEditParams(ip(), &object, 0, nullptr);
    object.DeleteAllRefs();
    theHold.Flush();
    if (handle) closeModule(handle);
  }
  static IObjParam* ip() { return static_cast<IObjParam*>(GetCOREInterface()); }
  HWND open() {
    cd.BeginEditParams(ip(), &object, 0, nullptr);
    IParamMap2* map = cd.GetParamMap(&desc);
    return map ? map->GetHWnd() : nullptr;
  }

  void* handle = openModule(RESOURCES_TEST_MODULE);
  TestClassDesc cd;
  ParamBlockDesc2 desc{0, L"params", 0, &cd, P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
                       IDD_TEST, IDS_SHORT, 0, 0, static_cast<ParamMap2UserDlgProc*>(nullptr),
                       0, L"flag", TYPE_BOOL, 0, StringResID(0), p_default, 1, p_ui, TYPE_SINGLECHEKBOX, IDC_CHECK, p_end,
                       p_end};
  EditedObject object{&desc};
  std::vector<Seen> seen;
  bool deleted = false;
};

TEST_F(ParamMapRollout, TheRolloutComesFromTheModulesTemplateAndShowsTheBlock) {
  SKIP_WITHOUT_WINDOWS();
  HWND window = open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(DescribeWindow(window)->text, L"Short");
  EXPECT_EQ(DialogControls(window).size(), 2u);
  EXPECT_TRUE(DescribeWindow(GetDlgItem(window, IDC_CHECK))->checked);
  object.block->SetValue(0, 0, 0);
  EXPECT_FALSE(DescribeWindow(GetDlgItem(window, IDC_CHECK))->checked);
}

TEST_F(ParamMapRollout, TheUserProcedureInitialisesWhenInstalledAndSeesClicksAfterTheBlock) {
  SKIP_WITHOUT_WINDOWS();
  HWND window = open();
  desc.SetUserDlgProc(0, new RecordingDlgProc(seen, deleted));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, UINT(WM_INITDIALOG));

  ASSERT_TRUE(ClickControl(window, IDC_CHECK));
  EXPECT_EQ(object.block->GetInt(0), 0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].msg, UINT(WM_COMMAND));
  EXPECT_EQ(seen[1].id, IDC_CHECK);
  EXPECT_EQ(seen[1].value, 0);

  cd.EndEditParams(ip(), &object, 0, nullptr);
  EXPECT_EQ(seen.back().msg, UINT(WM_DESTROY));
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(WindowExists(window));
  EXPECT_EQ(cd.GetParamMap(&desc), nullptr);
}

TEST_F(ParamMapRollout, AClickIsOneUndoableStep) {
  SKIP_WITHOUT_WINDOWS();
  HWND window = open();
  ASSERT_TRUE(ClickControl(window, IDC_CHECK));
  ASSERT_EQ(theHold.UndoCount(), 1);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(object.block->GetInt(0), 1);
  EXPECT_TRUE(DescribeWindow(GetDlgItem(window, IDC_CHECK))->checked);
}

TEST_F(ParamMapRollout, AModuleWithoutTheTemplateShowsNoRolloutAndSaysSo) {
  desc.dlg_template = 4242;
  EXPECT_EQ(open(), nullptr);
  ASSERT_EQ(GetCOREInterface()->Reports().size(), 1u);
  EXPECT_NE(GetCOREInterface()->Reports()[0].find(L"4242"), std::wstring::npos);
}

}  // namespace
