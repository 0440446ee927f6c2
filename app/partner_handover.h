// Handing the modifier a partner table found outside it, the way a loaded scene hands it the cache
// it saved: the modifier's own LoadLocalData reads, into the node's context, the captured target,
// the partners and the mirror axis they were built for (the local data chunks 0x1030, 0x1040,
// 0x1100 and 0x1140). With "Cache Target" on, every evaluation then keeps them (nothing marks them
// stale), and Mirror, Flip, Reset, selections, masks, centre alignment and asymmetry stay the
// modifier's own. A reset of the target or of the partners (resetTarget, resetMatch, another axis
// or offset) makes the modifier pair by position again, as it would after loading a scene.
#pragma once

#include <string>
#include <vector>

#include "iparamb2.h"
#include "object.h"
#include "positions_view.h"

// The modifier keeps handed partners only with "Cache Target" (updateResult) on: why `params` would
// not let it, or empty.
std::string WhyHandedPartnersWouldNotBeKept(IParamBlock2* params);

// `node` carries `mod` on its stack; its context's local data, if any, is replaced. `target`: the
// target's positions as the modifier captures them; `partners`: one valid index into them per
// vertex. False with r_error set when the node does not carry the modifier.
bool HandPartnersToModifier(Modifier* mod, INode* node, PositionsView target, const std::vector<int>& partners, int axis,
                            std::string& r_error);
