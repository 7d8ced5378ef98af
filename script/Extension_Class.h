#pragma once
// Extension packages: bundles of files that add functions and constants to the language. A
// package's files are unpacked into the temporary folder when it loads; functions of script files
// are compiled and called like scripts, functions of dynamic libraries go through the library
// calls; constants join the constant table.

#include "data/Resource_Table.h"
#include "script/Code_Main.h"
#include "script/Variable_Value.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CInstance;

inline constexpr int32_t kExtensionVersion = 700;

class CExtensionFunction {
public:
  // Reads the record; another version leaves the function empty after the version.
  void LoadFromExeStream(CStream& stream);

  std::string s_name;
  std::string s_extname;               // the library export or the "#define" name; empty: s_name
  int32_t s_kind = 0;                  // 12 cdecl, else stdcall
  int32_t s_id = 0;                    // function identifier 500000 + s_id
  int32_t s_argcount = 0;              // -1: any count
  std::array<int32_t, 17> s_argtype{}; // 1 string, else real
  int32_t s_returntype = 2;            // 1 string, 2 real
  std::optional<std::string> s_script; // the body a script file gave it, until compiled
};

class CExtensionConstant {
public:
  void LoadFromExeStream(CStream& stream);

  std::string s_name;
  std::string s_value; // an expression text
};

class CExtensionFile {
public:
  enum : int32_t { kDll = 1, kScript = 2, kNoContent = 3, kOther = 4 };

  void LoadFromExeStream(CStream& stream);
  // Gives the file's functions the bodies of the "#define" sections of a script file's content.
  void CreateScripts(std::string_view content);
  // The first function with exactly that name, or null.
  const CExtensionFunction* FunctionFindName(std::string_view name) const;

  std::string s_filename;
  int32_t s_kind = 0;
  std::string s_init;  // called at game start; empty for none
  std::string s_final; // called at game end; empty for none
  std::vector<CExtensionFunction> s_functions;
  std::vector<CExtensionConstant> s_constants;
};

class CExtensionPackage {
public:
  // Reads the package and unpacks its files into tempfolder + "\" + s_folder. False on a wrong
  // version or a folder or file name that would leave that folder (error says which).
  bool LoadFromExeStream(CStream& stream, const std::string& tempfolder, std::string& error);

  std::string s_name;
  std::string s_folder; // sub-folder of the temporary folder that receives the files
  std::vector<CExtensionFile> s_includes;
};

// The packages in load order, and the functions they define by identifier.
class CExtensionTable : public CResourceTable<CExtensionPackage> {
public:
  // Packages are not stored in named entries: LoadSection below reads them.
  CExtensionTable() : CResourceTable({.rk_read = nullptr}) {}
  // Reads the section (version 700, count, packages back to back) and unpacks every package; false
  // on the first failing package, with the reason in t_loaderror when there is one beyond the
  // version.
  bool LoadSection(CStream& stream, const std::string& tempfolder);
  void ClearAll();

  // The identifier of the first function with that name, packages in load order, or -1.
  int32_t FindFunction(std::string_view name) const;
  // The declared count of the first function of that identifier with a count of 0 or more; -1 when
  // the only match takes any count; -100 when none has the identifier.
  int32_t ArgCount(int32_t id) const;

  // Defines every package constant through define (a failure goes on), then binds library functions
  // and compiles script functions; false after a script function fails to compile (reported).
  using TConstantDefiner = bool (*)(std::string_view name, std::string_view value);
  bool Prepare(TConstantDefiner define);
  // Runs extension function id; false (error recorded) when the call fails.
  bool Call(int32_t id, CInstance* self, CInstance* other, RValue& result, const RValue* args, int32_t count);
  // The init (or final) functions of every file, called with temporary as self and other; false
  // after the first failure, reported as fatal.
  bool Init(CInstance* temporary) { return CallEntries(temporary, true); }
  bool Final(CInstance* temporary) { return CallEntries(temporary, false); }

  std::string t_loaderror;
  std::string t_tempfolder; // where LoadSection unpacked the packages

private:
  // What a function identifier runs: compiled script code, or a library function that is not bound.
  struct RExtensionEntry {
    const CExtensionFunction* e_function = nullptr;
    std::unique_ptr<CCode> e_code; // script functions only
    std::string e_library;         // library functions: where the library was unpacked; else empty
    bool e_warned = false;         // the unbound call has been written to standard error
  };

  bool CallEntries(CInstance* temporary, bool init);
  bool CallLibrary(RExtensionEntry& entry, RValue& result);

  std::map<int32_t, RExtensionEntry> t_entries;
  int32_t t_highest = -1;
};

CExtensionTable& Extensions();

} // namespace vl
