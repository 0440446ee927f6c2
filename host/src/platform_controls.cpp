// Windows common controls on Linux: the host's controls need no setup, but it counts the requests so
// host programs can tell a plug-in initialised them.
#include <commctrl.h>

namespace {
int commonControlInitialisations = 0;
}

void InitCommonControls() { ++commonControlInitialisations; }

int CommonControlInitialisations() { return commonControlInitialisations; }
