// Decoding a dialog template resource as Windows stores it (DLGTEMPLATE or DLGTEMPLATEEX) into the
// host's DialogTemplate, so the host knows each control of a rollout as its template describes it:
// id, class, caption, style and rectangle in dialog units. Predefined classes stored by ordinal
// come back by name ("Button", "Edit", "Static", ...). Texts become UTF-8.
#pragma once

#include <cstddef>
#include <optional>

#include "resource_set.h"

// The template in `size` bytes at `bytes` (not owned, read only); empty when the bytes end early
// or hold no dialog template. `id` and `language` are left at their defaults.
std::optional<DialogTemplate> DecodeDialogTemplate(const void* bytes, std::size_t size);
