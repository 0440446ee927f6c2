// velomorph info.
#include "info_command.h"

#include <cstdio>
#include <iomanip>

#include "command_options.h"
#include "exit_codes.h"
#include "plugin_session.h"
#include "printable_text.h"
#include "token_text.h"

namespace {

std::string utf8(const MCHAR* s) { return s ? MSTR(s).ToUTF8() : std::string("(none)"); }

const char* typeName(ParamType2 type) {
  switch (type) {
    case TYPE_INODE: return "node";
    case TYPE_INT: return "int";
    case TYPE_BOOL: return "bool";
    case TYPE_FLOAT: return "float";
    default: return "other";
  }
}

std::string valueText(const ParamDef& def, const PB2Value& v) {
  switch (def.type) {
    case TYPE_INODE: return "none";
    case TYPE_FLOAT: return ShortestText(v.f);
    default: return std::to_string(v.i);
  }
}

std::string hex(unsigned long v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "0x%08lX", v);
  return buffer;
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                   std::ostream& err) {
  try {
    if (ReadCommandWords(args, {}).help) {
      out << "usage: velomorph info\n"
             "What the plug-in tells the host about itself: its library, class, and every parameter with its\n"
             "internal name (the NAME of --set NAME=VALUE), type, default and range.\n";
      return kExitOk;
    }
  } catch (const UsageError& e) {
    err << "velomorph info: " << PrintableText(e.message) << "\n";
    return kExitUsage;
  }
  PluginSession session;
  std::string error;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitUnreadable;
  }
  PluginLibrary& lib = *session.library;
  ClassDesc2* cd = session.desc;
  out << "library      " << lib.Path() << "\n";
  out << "description  " << utf8(lib.Description()) << "\n";
  out << "class name   " << utf8(cd->ClassName()) << "\n";
  out << "category     " << utf8(cd->Category()) << "\n";
  out << "internal     " << utf8(cd->InternalName()) << "\n";
  out << "class id     Class_ID(" << hex(cd->ClassID().PartA()) << ", " << hex(cd->ClassID().PartB()) << ")\n";
  out << "super class  " << hex(cd->SuperClassID()) << "\n";
  out << "version      " << hex(lib.Version()) << "\n";
  out << "auto defer   " << lib.CanAutoDefer() << "\n";
  for (int b = 0; b < cd->NumParamBlockDescs(); ++b) {
    ParamBlockDesc2* pbd = cd->GetParamBlockDesc(b);
    out << "parameter block " << pbd->ID << " \"" << utf8(pbd->int_name) << "\", " << pbd->Count() << " parameters\n";
    out << "  id  name                    type   default     range\n";
    for (int i = 0; i < pbd->Count(); ++i) {
      const ParamDef& def = pbd->GetParamDefByIndex(i);
      out << "  " << std::setw(2) << def.ID << "  " << std::left << std::setw(22) << utf8(def.int_name) << "  "
          << std::setw(5) << typeName(def.type) << "  " << std::setw(10) << valueText(def, def.def) << std::right;
      if (def.hasRange) out << "  " << valueText(def, def.range_low) << " to " << valueText(def, def.range_high);
      out << "\n";
    }
  }
  return kExitOk;
}
