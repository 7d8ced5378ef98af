#pragma once
// CAction: one action of an event: a call of a function with stored arguments, or a piece of code,
// with its record in the game data and its compilation.

#include "script/Code_Main.h"
#include "script/Variable_Value.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vl {

class CStream;

constexpr int32_t kActionArguments = 8;

class CAction {
public:
  static constexpr int32_t kVersion = 440;
  enum : int32_t {
    kNormal = 0,
    kBeginBlock = 1,
    kEndBlock = 2,
    kElse = 3,
    kExit = 4,
    kRepeat = 5,
    kVariable = 6,
    kCode = 7,
  };
  enum : int32_t { kExeNothing = 0, kExeFunction = 1, kExeCode = 2 };
  // Argument kinds after compilation; stored kinds that matter for compiling.
  enum : int32_t {
    kArgConstant = -1,
    kArgExpression = 0,
    kArgString = 1,
    kArgStringOrExpression = 2,
    kArgFont = 15
  };

  explicit CAction(int32_t kind = kNormal) : act_kind(kind) {}
  static CAction CreateCode(std::string_view text);

  void Clear();
  // False on a wrong version (the action then stays cleared).
  bool LoadFromStream(CStream& stream);
  // Compiles code and arguments; a failure is reported as a fatal error of the current event.
  bool Compile();

  int32_t act_libid = 0;
  int32_t act_id = 0;
  int32_t act_kind = kNormal;
  bool act_userelative = false;
  bool act_isquestion = false;
  bool act_useapplyto = false;
  int32_t act_exetype = kExeNothing;
  int32_t act_functionid = -1;
  std::string act_codestring;
  std::unique_ptr<CCode> act_codecode;
  int32_t act_argumentcount = 0;
  std::array<int32_t, kActionArguments> act_argtype{};
  int32_t act_who = -1;
  bool act_relative = false;
  std::array<std::string, kActionArguments> act_argstring;
  std::array<RValue, kActionArguments> act_argvalue;
  std::array<std::unique_ptr<CCode>, kActionArguments> act_argcode;
  bool act_isnot = false;
};

} // namespace vl
