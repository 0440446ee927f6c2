// Ids of the resource loader's test module (resources_test.rc).
#pragma once

#define IDS_SHORT     1
#define IDS_EMPTY     2
#define IDS_WIDE      3
#define IDS_LONG      4
#define IDS_LAST      65535

#define IDD_TEST      7
#define IDC_CHECK     100
#define IDC_STATIC    (-1)

#define IDM_MANIFEST  1
