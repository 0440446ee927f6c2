// Parser of resource scripts (.rc): the subset of the language the plug-in's script uses, turned
// into the ResourceSet that a Windows resource compiler (windres) builds from the same script.
//
// Preprocessing: `#include "file"` (found beside the including file), `#include <windows.h>`,
// `<winres.h>` and `<winresrc.h>` (skipped: the Windows names scripts use are built in),
// object-like `#define`, `#undef`, `#ifdef`, `#ifndef`, `#else`, `#endif`, `#pragma once` and
// `#pragma code_page(N)` (other pragmas are ignored); `//` and `/* */` comments. `#if` and `#elif`
// are accepted only inside a skipped group. RC_INVOKED is defined. Text outside ASCII needs
// `#pragma code_page(65001)`: the script is then read as UTF-8.
//
// Statements: `LANGUAGE primary, sub`; `STRINGTABLE [LANGUAGE ...] BEGIN id [,] "text" ... END`;
// `id DIALOGEX x, y, width, height` with STYLE, EXSTYLE, CAPTION, FONT size, "face"
// [, weight [, italic [, charset]]] and LANGUAGE, then BEGIN controls END, where a control is
// `CONTROL "text", id, "class", style, x, y, w, h [, exstyle]` or one of LTEXT, RTEXT, CTEXT,
// GROUPBOX, PUSHBUTTON, DEFPUSHBUTTON, AUTOCHECKBOX, AUTORADIOBUTTON (`"text", id, x, y, w, h
// [, style [, exstyle]]`) or EDITTEXT (the same without the text); `id RT_MANIFEST "file"`, the
// file found beside the script. BEGIN and END may be written { and }. Numbers are decimal or 0x
// hexadecimal with an optional L or U suffix; expressions combine them with | + - ~ and
// parentheses. Strings take "" for a quote and \\ \n \r \t.
//
// Styles are those windres stores: every control gets WS_CHILD | WS_VISIBLE; a shorthand control
// gets its default style, or, when a style is written, its base style (the kind bits, plus
// WS_TABSTOP for buttons and WS_BORDER | WS_TABSTOP for edits) together with the written one; a
// dialog without STYLE gets WS_POPUP | WS_BORDER | WS_SYSMENU; CAPTION adds WS_CAPTION and FONT
// adds DS_SETFONT.
//
// Anything else is an error naming the file and line. Resource ids are 1 to 65535 (string ids 0 to
// 65535), each id once per kind whatever the language.
#pragma once

#include <stdexcept>
#include <string>

#include "resource_set.h"

class ResourceScriptError : public std::runtime_error {
 public:
  ResourceScriptError(const std::string& file, int line, const std::string& message);
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  std::string file_;
  int line_;
  std::string message_;
};

// Parses the script at `path`. Throws ResourceScriptError; what() reads "file:line: message".
ResourceSet parseResourceScript(const std::string& path);

// Parses `text` as if it were the contents of the file `path` (which need not exist unless the
// script includes files or manifests beside it, which are looked for in path's folder).
ResourceSet parseResourceScriptText(const std::string& text, const std::string& path);
