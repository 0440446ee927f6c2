// The library-wide objects. They are defined in this one file because their construction order is
// part of the library's contract and C++ fixes that order only within a translation unit. The
// parameter block description is here for that reason: it is the block's whole definition.
#include "plugin/library_statics.h"

#include "params/param_ids.h"
#include "plugin/resource.h"
#include "script/mirror_ops_interface.h"

namespace {
// Display names travel as string ids, or as literal texts for the four parameters that name
// themselves.
StringResID text(const MCHAR* s) { return reinterpret_cast<StringResID>(s); }
StringResID id(int stringId) { return StringResID(stringId); }
PBAccessor* const accessor = &vertMirrorAccessor;
}  // namespace

ambiflexClassDesc ambiflexDesc;

PickControlNode thePickMode;

ICustButton* targetPickButton = nullptr;
ICustButton* asymmetryPickButton = nullptr;

vertMirrorPBAccessor vertMirrorAccessor;

ParamBlockDesc2 ambiflexParamBlockDesc(
    ambiflex_params, _T("params"), 0, &ambiflexDesc, P_AUTO_CONSTRUCT + P_AUTO_UI,
    // reference number in the owner
    0,
    // rollout
    IDD_PANEL, IDS_ROLLOUT_TITLE, 0, 0, static_cast<ParamMap2UserDlgProc*>(nullptr),

    UndefObject, _T("UndefObject"), TYPE_INODE, 0, id(IDS_DEFORMED_TARGET),
      p_ui, TYPE_PICKNODEBUTTON, IDC_TARGET_PICK,
      p_prompt, IDS_AXIS_OFFSET,
      p_end,
    mirrorAxis, _T("mirrorAxis"), TYPE_INT, 0, id(IDS_AXIS),
      p_default, 0,
      p_range, 0, 2,
      p_ui, TYPE_RADIO, 3, IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z,
      p_end,
    updateResult, _T("updateResult"), TYPE_BOOL, 0, id(IDS_AUTO_UPDATE),
      p_default, 1,
      p_ui, TYPE_SINGLECHEKBOX, IDC_CACHE_TARGET,
      p_accessor, accessor,
      p_end,
    operation, _T("operation"), TYPE_INT, 0, id(IDS_OPERATION),
      p_default, 0,
      p_range, 0, 2,
      p_ui, TYPE_RADIO, 3, IDC_OP_MIRROR, IDC_OP_FLIP, IDC_OP_RESET,
      p_accessor, accessor,
      p_end,
    direction, _T("direction"), TYPE_INT, 0, id(IDS_DIRECTION),
      p_default, 0,
      p_range, 0, 1,
      p_ui, TYPE_RADIO, 2, IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE,
      p_end,
    constantUpdate, _T("constantUpdate"), TYPE_BOOL, 0, id(IDS_CONSTANT_UPDATE),
      p_default, 1,
      p_ui, TYPE_SINGLECHEKBOX, IDC_CONSTANT_UPDATE,
      p_accessor, accessor,
      p_end,
    ignoreSO, _T("ignoreSO"), TYPE_BOOL, 0, id(IDS_IGNORE_SO),
      p_default, 1,
      p_ui, TYPE_SINGLECHEKBOX, IDC_IGNORE_SO,
      p_accessor, accessor,
      p_end,
    displayAxis, _T("displayAxis"), TYPE_BOOL, 0, id(IDS_DISPLAY_AXIS),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_DISPLAY_AXIS,
      p_accessor, accessor,
      p_end,
    axisOffset, _T("axisOffset"), TYPE_FLOAT, 0, id(IDS_AXIS_OFFSET),
      p_default, 0.0f,
      p_range, -9999999.0f, 9999999.0f,
      p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_AXIS_OFFSET_EDIT, IDC_AXIS_OFFSET_SPIN, 0.1f,
      p_end,
    displaySize, _T("displaySize"), TYPE_FLOAT, 0, id(IDS_DISPLAY_SIZE),
      p_default, 50.0f,
      p_range, 0.01f, 9999999.0f,
      p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_DISPLAY_SIZE_EDIT, IDC_DISPLAY_SIZE_SPIN, SPIN_AUTOSCALE,
      p_end,
    resetCentreVerts, _T("resetCentreVerts"), TYPE_BOOL, 0, id(IDS_RESET_CENTER_VERTS),
      p_default, 1,
      p_ui, TYPE_SINGLECHEKBOX, IDC_ALIGN_CENTER_VERTS,
      p_accessor, accessor,
      p_end,
    baseSelectionMasks, _T("baseSelectionMasks"), TYPE_BOOL, 0, text(_T("BaseSelectionMasks")),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_BASE_SELECTION_MASKS,
      p_accessor, accessor,
      p_end,
    invertBaseSelection, _T("invertBaseSelection"), TYPE_BOOL, 0, text(_T("InvertBaseSelection")),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_INVERT_BASE_SELECTION,
      p_accessor, accessor,
      p_end,
    enableAsymmetry, _T("enableAsymmetry"), TYPE_BOOL, 0, text(_T("enableAsymmetry")),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_ASYM_ENABLE,
      p_accessor, accessor,
      p_end,
    asymNode, _T("asymNode"), TYPE_INODE, 0, id(IDS_ASYMMETRY_NODE),
      p_ui, TYPE_PICKNODEBUTTON, IDC_ASYM_PICK,
      p_prompt, IDS_AXIS_OFFSET,
      p_end,
    asynType, _T("asynType"), TYPE_INT, 0, id(IDS_ASYMMETRY_TYPE),
      p_default, 1,
      p_range, 0, 1,
      p_ui, TYPE_RADIO, 2, IDC_ASYM_LOCAL, IDC_ASYM_SURFACE,
      p_end,
    UVDominance, _T("UVDominance"), TYPE_INT, 0, id(IDS_UV_DOMINANCE),
      p_default, 0,
      p_range, 0, 1,
      p_ui, TYPE_RADIO, 2, IDC_DOMINANT_U, IDC_DOMINANT_V,
      p_end,
    NormXforms, _T("NormXforms"), TYPE_BOOL, 0, text(_T("NormXforms")),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_NORM_XFORMS,
      p_accessor, accessor,
      p_end,
    OperateOnSelection, _T("OperateOnSelection"), TYPE_BOOL, 0, id(IDS_OPERATE_ON_SELECTION),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_OPERATE_ON_SELECTION,
      p_accessor, accessor,
      p_end,
    OperateOnlyOnSelection, _T("OperateOnlyOnSelection"), TYPE_BOOL, 0, id(IDS_OPERATE_ONLY_ON_SELECTION),
      p_default, 0,
      p_ui, TYPE_SINGLECHEKBOX, IDC_OPERATE_ONLY_ON_SELECTION,
      p_accessor, accessor,
      p_end,
    p_end);

FPInterfaceDesc vMirrorOpsDesc(
    VMIRROROPS_INTERFACE_ID, _T("vMirrorOps"), 0, &ambiflexDesc, FP_MIXIN,
    vMirrorOps_reset, _T("reset"), 0, TYPE_VOID, 0, 0,
    vMirrorOps_resetTarget, _T("resetTarget"), 0, TYPE_VOID, 0, 0,
    vMirrorOps_resetMatch, _T("resetMatch"), 0, TYPE_VOID, 0, 0,
    p_end);
