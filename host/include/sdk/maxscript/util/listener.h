// The script listener's class: the one text window of the process where scripts print and plug-ins
// leave short notices. Plug-ins write through `the_listener->edit_stream` (declared in
// maxscript/maxscript.h); host programs and tests read back everything written since the last Clear.
// `the_listener` is never null and lives as long as the host library.
#pragma once

#include <string>

#include "max_types.h"
#include "maxscript/maxscript.h"

// A text stream that appends to the listener's text.
class CharStream {
 public:
  // Appends `text` as it is (no newline added); a null text appends nothing.
  void puts(const MCHAR* text);
  void flush() {}

 private:
  friend class Listener;
  std::wstring text_;
};

class Listener {
 public:
  Listener() : edit_stream(&stream_) {}
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // The stream scripts and plug-ins write to; owned by the listener.
  CharStream* const edit_stream;

  // Everything written since the last Clear.
  const std::wstring& Text() const { return stream_.text_; }
  void Clear() { stream_.text_.clear(); }

 private:
  CharStream stream_;
};

