#pragma once
// CScript: a named piece of code that is called like a function; and the table of scripts, indexed
// by script number with a parallel table of names.

#include "script/Code_Main.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CStream;

class CScript {
public:
  static constexpr int32_t kVersion = 800;

  void Clear();
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // Makes s_code from s_text in the code form and compiles it; false (error recorded) on failure.
  bool Compile();

  std::string s_text;
  std::unique_ptr<CCode> s_code; // absent until compiled
};

class CScriptTable {
public:
  static constexpr int32_t kSectionVersion = 800;

  // Reads the scripts section (named-resource framing); false on a wrong version or record.
  bool LoadSection(CStream& stream);
  void ClearAll();
  int32_t Count() const { return int32_t(t_scripts.size()); }
  bool Exists(int32_t n) const { return Get(n) != nullptr; }
  CScript* Get(int32_t n) const { return n >= 0 && n < Count() ? t_scripts[size_t(n)].get() : nullptr; }
  // The script's name, "<undefined>" for a number that names no script.
  const std::string& Name(int32_t n) const;
  // The first present script of exactly that name, or -1.
  int32_t Find(std::string_view name) const;

  std::vector<std::unique_ptr<CScript>> t_scripts;
  std::vector<std::string> t_names;
};

CScriptTable& Scripts();

bool ScriptExists(int32_t n);
const std::string& ScriptName(int32_t n);
int32_t FindScript(std::string_view name);
CScript* GetScript(int32_t n);
// The compiled code of script n, or null when it names no compiled script.
const CCode* ScriptCode(int32_t n);
// Compiles every present script in number order; the first failure is reported as a fatal
// "COMPILATION ERROR in Script: " and gives false.
bool CompileScripts();

} // namespace vl
