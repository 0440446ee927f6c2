// MSTR: the host's wide-character string.
#pragma once

#include <string>

#include "max_types.h"

class MSTR {
 public:
  MSTR() = default;
  MSTR(const MCHAR* s) : text_(s ? s : L"") {}
  MSTR(const std::wstring& s) : text_(s) {}
  MSTR& operator=(const MCHAR* s) { text_ = s ? s : L""; return *this; }
  const MCHAR* data() const { return text_.c_str(); }
  operator const MCHAR*() const { return text_.c_str(); }
  int Length() const { return int(text_.size()); }
  bool isNull() const { return text_.empty(); }
  bool operator==(const MSTR& o) const { return text_ == o.text_; }
  bool operator==(const MCHAR* o) const { return text_ == (o ? o : L""); }
  const std::wstring& str() const { return text_; }
  // UTF-8 form, for writing to files and terminals.
  std::string ToUTF8() const;
  static MSTR FromUTF8(const std::string& s);

 private:
  std::wstring text_;
};
typedef MSTR TSTR;
