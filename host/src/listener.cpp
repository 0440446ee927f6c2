// The process's script listener.
#include "maxscript/util/listener.h"

void CharStream::puts(const MCHAR* text) {
  if (text != nullptr) text_ += text;
}

namespace {
Listener theListener;
}  // namespace

Listener* the_listener = &theListener;
