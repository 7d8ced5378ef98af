#include "script/Extension_Class.h"

#include "data/Game_File.h"
#include "data/Support_Stream.h"
#include "platform/Platform_Os.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Names.h"

#include <cstdio>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace vl {

namespace {

std::string Trim(std::string_view s) {
  while (!s.empty() && uint8_t(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && uint8_t(s.back()) <= ' ') s.remove_suffix(1);
  return std::string(s);
}

// A folder or file name of a package is joined to the temporary folder, so it must stay inside it.
bool LeavesFolder(std::string_view name) {
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  return name.find("..") != std::string_view::npos || drive ||
         (!name.empty() && (name[0] == '/' || name[0] == '\\'));
}

// Identifiers the function-identifier space can hold; others can never be called.
bool CallableId(int32_t id) {
  return id >= 0 && id <= std::numeric_limits<int32_t>::max() - kFirstExtensionFunction;
}

constexpr const char* kSecureRefusal = "In secure mode you cannot use extension packages.";

} // namespace

void CExtensionFunction::LoadFromExeStream(CStream& stream) {
  *this = CExtensionFunction();
  if (stream.ReadInteger() != kExtensionVersion) return;
  s_name = stream.ReadString();
  s_extname = stream.ReadString();
  s_kind = stream.ReadInteger();
  s_id = stream.ReadInteger();
  s_argcount = stream.ReadInteger();
  for (int32_t& type : s_argtype) type = stream.ReadInteger();
  s_returntype = stream.ReadInteger();
  if (s_returntype != 1 && s_returntype != 2) s_returntype = 2;
}

void CExtensionConstant::LoadFromExeStream(CStream& stream) {
  *this = CExtensionConstant();
  if (stream.ReadInteger() != kExtensionVersion) return;
  s_name = stream.ReadString();
  s_value = stream.ReadString();
}

void CExtensionFile::LoadFromExeStream(CStream& stream) {
  *this = CExtensionFile();
  if (stream.ReadInteger() != kExtensionVersion) return;
  s_filename = stream.ReadString();
  s_kind = stream.ReadInteger();
  s_init = stream.ReadString();
  s_final = stream.ReadString();
  // Counts come from the data: records are read one by one, so a huge count ends in a read error
  // rather than a huge allocation.
  for (int32_t i = 0, n = stream.ReadInteger(); i < n; ++i)
    s_functions.emplace_back().LoadFromExeStream(stream);
  for (int32_t i = 0, n = stream.ReadInteger(); i < n; ++i)
    s_constants.emplace_back().LoadFromExeStream(stream);
}

void CExtensionFile::CreateScripts(std::string_view content) {
  for (CExtensionFunction& f : s_functions) f.s_script.reset();
  if (s_kind != kScript) return;
  std::vector<std::string> lines;
  std::string line;
  for (char c : content) {
    if (c == '\r') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\n') {
      line += c;
    }
  }
  // A last line without CR is dropped.
  auto define = [&](const std::string& name, const std::string& body) {
    for (CExtensionFunction& f : s_functions)
      if (f.s_extname == name) f.s_script = body;
  };
  std::optional<std::string> name;
  std::string body;
  bool first = true;
  for (const std::string& l : lines) {
    if (l.rfind("#define", 0) == 0) {
      if (name) define(*name, body);
      name = Trim(std::string_view(l).substr(7));
      body.clear();
      first = true;
    } else if (name) {
      if (!first) body += "\r\n";
      body += l;
      first = false;
    }
  }
  if (name) define(*name, body);
}

const CExtensionFunction* CExtensionFile::FunctionFindName(std::string_view name) const {
  for (const CExtensionFunction& f : s_functions)
    if (f.s_name == name) return &f;
  return nullptr;
}

bool CExtensionPackage::LoadFromExeStream(CStream& stream, const std::string& tempfolder,
                                          std::string& error) {
  *this = CExtensionPackage();
  if (stream.ReadInteger() != kExtensionVersion) return false;
  s_name = stream.ReadString();
  s_folder = stream.ReadString();
  for (int32_t i = 0, n = stream.ReadInteger(); i < n; ++i)
    s_includes.emplace_back().LoadFromExeStream(stream);
  for (CExtensionFile& file : s_includes)
    for (CExtensionFunction& f : file.s_functions) {
      f.s_name = Trim(f.s_name);
      f.s_extname = Trim(f.s_extname);
      if (f.s_extname.empty()) f.s_extname = f.s_name;
      if (f.s_argcount > 4) f.s_argtype.fill(2);
    }

  auto refuse = [&](const std::string& name) {
    error = "Extension package " + s_name + ": the name \"" + name +
            "\" would place a file outside the temporary folder.";
    return false;
  };
  if (LeavesFolder(s_folder)) return refuse(s_folder);
  for (const CExtensionFile& file : s_includes)
    if ((file.s_kind == CExtensionFile::kDll || file.s_kind == CExtensionFile::kOther) &&
        LeavesFolder(file.s_filename))
      return refuse(file.s_filename);

  std::unique_ptr<CStream> content = stream.ReadStream();
  const int32_t key = content->ReadInteger();
  content->Decrypt(key, 5, 0);
  const std::string folder = MapPath(tempfolder + "\\" + s_folder);
  std::error_code ec;
  fs::create_directories(folder, ec);
  for (CExtensionFile& file : s_includes) {
    if (file.s_kind == CExtensionFile::kNoContent) continue;
    std::unique_ptr<CStream> bytes = content->ReadStreamC();
    if (file.s_kind == CExtensionFile::kScript) {
      file.CreateScripts(std::string_view(reinterpret_cast<const char*>(bytes->Data()), bytes->Size()));
    } else {
      const std::string path = MapPath(folder + "/" + file.s_filename);
      fs::create_directories(fs::path(path).parent_path(), ec);
      bytes->SaveToFile(path);
    }
  }
  return true;
}

// ---- The package table --------------------------------------------------------------------------

bool CExtensionTable::LoadSection(CStream& stream, const std::string& tempfolder) {
  ClearAll();
  t_tempfolder = tempfolder;
  if (stream.ReadInteger() != kExtensionVersion) return false;
  for (int32_t i = 0, n = stream.ReadInteger(); i < n; ++i) {
    t_items.push_back(std::make_unique<CExtensionPackage>());
    t_names.emplace_back();
    if (!t_items.back()->LoadFromExeStream(stream, tempfolder, t_loaderror)) return false;
    t_names.back() = t_items.back()->s_name;
  }
  return true;
}

void CExtensionTable::ClearAll() {
  CResourceTable::ClearAll();
  t_loaderror.clear();
  t_entries.clear();
  t_highest = -1;
}

int32_t CExtensionTable::FindFunction(std::string_view name) const {
  for (const auto& package : t_items)
    for (const CExtensionFile& file : package->s_includes)
      if (const CExtensionFunction* f = file.FunctionFindName(name); f && CallableId(f->s_id)) return f->s_id;
  return -1;
}

int32_t CExtensionTable::ArgCount(int32_t id) const {
  bool found = false;
  for (const auto& package : t_items)
    for (const CExtensionFile& file : package->s_includes)
      for (const CExtensionFunction& f : file.s_functions) {
        if (f.s_id != id) continue;
        if (f.s_argcount >= 0) return f.s_argcount;
        found = true;
      }
  return found ? -1 : -100;
}

bool CExtensionTable::Prepare(TConstantDefiner define) {
  for (const auto& package : t_items)
    for (const CExtensionFile& file : package->s_includes)
      for (const CExtensionConstant& c : file.s_constants) define(c.s_name, c.s_value);
  t_entries.clear();
  t_highest = -1;
  for (const auto& package : t_items)
    for (CExtensionFile& file : package->s_includes)
      for (CExtensionFunction& f : file.s_functions) {
        if (!CallableId(f.s_id)) continue;
        t_highest = std::max(t_highest, f.s_id);
        RExtensionEntry& entry = t_entries[f.s_id];
        entry = RExtensionEntry{&f, nullptr, {}, false};
        if (file.s_kind == CExtensionFile::kDll) {
          entry.e_library = t_tempfolder + "\\" + package->s_folder + "\\" + file.s_filename;
        } else if (file.s_kind == CExtensionFile::kScript && f.s_script) {
          auto code = std::make_unique<CCode>(*f.s_script, false);
          f.s_script.reset();
          if (!code->Compile()) {
            ReportError("COMPILATION ERROR in extension package " + package->s_name + "\r" + ErrorText, true);
            ClearError();
            return false;
          }
          entry.e_code = std::move(code);
        }
      }
  return true;
}

bool CExtensionTable::CallLibrary(RExtensionEntry& entry, RValue& result) {
  // Libraries built for another system never bind here: the call acts as one whose library failed
  // to load. The game is not told (such functions are often called every step), so one line on
  // standard error per function says why it does nothing.
  if (!entry.e_warned) {
    entry.e_warned = true;
    if (entry.e_library.empty())
      std::fprintf(stderr,
                   "vlrun: extension function %s cannot be called: it has neither a library nor code\n",
                   entry.e_function->s_name.c_str());
    else
      std::fprintf(stderr, "vlrun: extension function %s of %s cannot be called: its library is not bound\n",
                   entry.e_function->s_name.c_str(), entry.e_library.c_str());
  }
  if (!ErrorPending) ErrorText = "Unable to find DLL function with id=-1";
  result = RValue();
  return true;
}

bool CExtensionTable::Call(int32_t id, CInstance* self, CInstance* other, RValue& result, const RValue* args,
                           int32_t count) {
  if (id < 0 || id > t_highest) return false;
  if (GameData().gd_securemode) {
    ErrorText = kSecureRefusal;
    ErrorPending = true;
    return false;
  }
  auto it = t_entries.find(id);
  if (it == t_entries.end()) {
    if (!ErrorPending) ErrorText = "Unable to find DLL function with id=-1";
    result = RValue();
    return true;
  }
  RExtensionEntry& entry = it->second;
  if (!entry.e_code) return CallLibrary(entry, result);
  CArgumentFrame frame;
  for (int32_t i = 0; i < count; ++i) frame.Slot(i) = args[i];
  const std::string& name = entry.e_function->s_name;
  frame.Enter(count, name);
  result = RValue();
  if (RunCodeOrError(self, other, *entry.e_code, result)) return true;
  ErrorText = "In extension function " + name + ":\r" + ErrorText;
  return false;
}

bool CExtensionTable::CallEntries(CInstance* temporary, bool init) {
  for (const auto& package : t_items)
    for (const CExtensionFile& file : package->s_includes) {
      const std::string& name = init ? file.s_init : file.s_final;
      if (name.empty()) continue;
      if (GameData().gd_securemode) {
        ReportError(kSecureRefusal, true);
        return false;
      }
      const CExtensionFunction* f = file.FunctionFindName(name);
      if (!f) {
        ReportError(
            (init ? "Could not locate initialization function " : "Could not locate finalization function ") +
                name,
            true);
        return false;
      }
      RValue result;
      if (!Call(f->s_id, temporary, temporary, result, nullptr, 0)) {
        ReportError(ErrorText, true);
        ClearError();
        return false;
      }
    }
  return true;
}

CExtensionTable& Extensions() {
  static CExtensionTable table;
  return table;
}

} // namespace vl
