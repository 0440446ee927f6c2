// Resource ids of the ambiflex library, shared by the resource script (ambiflex.rc) and the code
// that loads its strings and binds its dialog controls. Resource-script syntax only: #define lines.
#pragma once

// String table.
#define IDS_LIBDESCRIPTION              1
#define IDS_CATEGORY                    2
#define IDS_CLASS_NAME                  3
#define IDS_ROLLOUT_TITLE               4
#define IDS_SPIN                        5
#define IDS_REFERENCE_NODE              6
#define IDS_DEFORMED_TARGET             7
#define IDS_AXIS                        8
#define IDS_AUTO_UPDATE                 9
#define IDS_OPERATION                   10
#define IDS_DIRECTION                   11
#define IDS_CACHE_UNDEFORMED            12
#define IDS_CONSTANT_UPDATE             13
#define IDS_IGNORE_SO                   14
#define IDS_DISPLAY_AXIS                15
#define IDS_AXIS_OFFSET                 16
#define IDS_DISPLAY_SIZE                17
#define IDS_RESET_CENTER_VERTS          18
#define IDS_ASYMMETRY_NODE              19
#define IDS_ASYMMETRY_TYPE              20
#define IDS_UV_DOMINANCE                21
#define IDS_OPERATE_ON_SELECTION        22
#define IDS_OPERATE_ONLY_ON_SELECTION   23

// Dialog templates: the parameter rollout, and a small asymmetry panel nothing opens.
#define IDD_PANEL                       101
#define IDD_ASYMMETRY                   103

// Controls of the rollout (the asymmetry panel reuses the asymmetry ids).
#define IDC_AXIS_X                      1000
#define IDC_AXIS_Y                      1001
#define IDC_OP_MIRROR                   1002
#define IDC_TARGET_PICK                 1003
#define IDC_CACHE_TARGET                1004
#define IDC_AXIS_Z                      1005
#define IDC_OP_FLIP                     1006
#define IDC_DIR_NEGATIVE                1007
#define IDC_DIR_POSITIVE                1008
#define IDC_OP_RESET                    1009
#define IDC_ASYM_PICK                   1010
#define IDC_UPDATE                      1011
#define IDC_ASYM_LOCAL                  1012
#define IDC_AXIS_OFFSET_EDIT            1013
#define IDC_CONSTANT_UPDATE             1014
#define IDC_IGNORE_SO                   1015
#define IDC_ABOUT                       1016
#define IDC_DISPLAY_AXIS                1017
#define IDC_AXIS_OFFSET_SPIN            1018
#define IDC_DISPLAY_SIZE_EDIT           1019
#define IDC_DISPLAY_SIZE_SPIN           1020
#define IDC_ALIGN_CENTER_VERTS          1021
#define IDC_AXIS_OFFSET_LABEL           1022
#define IDC_BASE_SELECTION_MASKS        1023
#define IDC_INVERT_BASE_SELECTION       1024
#define IDC_ASYM_ENABLE                 1025
#define IDC_ASYM_SURFACE                1026
#define IDC_DOMINANT_U                  1027
#define IDC_DOMINANT_V                  1028
#define IDC_NORM_XFORMS                 1029
#define IDC_OPERATE_ON_SELECTION        1030
#define IDC_OPERATE_ONLY_ON_SELECTION   1031

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif
