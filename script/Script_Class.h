#pragma once
// CScript: a named piece of code that is called like a function; and the table of scripts, indexed
// by script number with a parallel table of names.

#include "data/Resource_Table.h"
#include "script/Code_Main.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vl {

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

using CScriptTable = CResourceTable<CScript>;

CScriptTable& Scripts();

// The compiled code of script n, or null when it names no compiled script.
const CCode* ScriptCode(int32_t n);
// Compiles every present script in number order; the first failure is reported as a fatal
// "COMPILATION ERROR in Script: " and gives false.
bool CompileScripts();

} // namespace vl
