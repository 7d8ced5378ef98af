#include "world/Action_Class.h"

#include "data/Support_Stream.h"
#include "script/Code_Error.h"
#include "script/Code_Names.h"
#include "world/World_Report.h"

#include <algorithm>

namespace vl {

namespace {

// Reads a stored count followed by that many items, keeping the first kActionArguments of them.
template <typename T, typename Read>
void ReadArgumentList(CStream& stream, std::array<T, kActionArguments>& into, Read read) {
  const int32_t count = stream.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    T value = read();
    if (i < kActionArguments) into[size_t(i)] = std::move(value);
  }
}

} // namespace

CAction CAction::CreateCode(std::string_view text) {
  CAction action(kCode);
  action.act_exetype = kExeCode;
  action.act_argstring[0] = std::string(text);
  return action;
}

void CAction::Clear() {
  for (std::string& text : act_argstring) text.clear();
  for (auto& code : act_argcode) code.reset();
  act_functionid = -1;
}

bool CAction::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  act_libid = stream.ReadInteger();
  act_id = stream.ReadInteger();
  act_kind = stream.ReadInteger();
  act_userelative = stream.ReadBoolean();
  act_isquestion = stream.ReadBoolean();
  act_useapplyto = stream.ReadBoolean();
  act_exetype = stream.ReadInteger();
  const std::string function = stream.ReadString();
  act_codestring = stream.ReadString();
  act_argumentcount = std::clamp(stream.ReadInteger(), 0, kActionArguments);
  ReadArgumentList(stream, act_argtype, [&] { return stream.ReadInteger(); });
  act_who = stream.ReadInteger();
  act_relative = stream.ReadBoolean();
  ReadArgumentList(stream, act_argstring, [&] { return stream.ReadString(); });
  act_isnot = stream.ReadBoolean();

  act_functionid = CodeNames().FindFunction(function);
  if (act_exetype == kExeFunction && act_functionid < 0)
    ShowLoadMessage("Failed to locate action function " + function);
  return true;
}

bool CAction::Compile() {
  if (act_kind == kVariable) {
    act_codestring = act_argstring[0] + (act_relative ? " += " : " = ") + act_argstring[1];
    act_kind = kNormal;
    act_argumentcount = 0;
  } else if (act_kind == kCode) {
    act_codestring = act_argstring[0];
    act_kind = kNormal;
    act_argumentcount = 0;
  }

  act_codecode.reset();
  if (act_exetype == kExeCode) {
    auto code = std::make_unique<CCode>(act_codestring, false);
    if (!code->Compile()) {
      ReportEventError("COMPILATION ERROR in code action\r" + ErrorText, true);
      ClearError();
      return false;
    }
    act_codecode = std::move(code);
  }
  act_codestring.clear();
  for (auto& code : act_argcode) code.reset();

  for (int32_t i = 0; i < act_argumentcount; ++i) {
    int32_t& kind = act_argtype[size_t(i)];
    std::string& text = act_argstring[size_t(i)];
    if (kind == kArgStringOrExpression)
      kind = !text.empty() && (text[0] == '\'' || text[0] == '"') ? kArgExpression : kArgString;
    if (kind == kArgString || kind == kArgFont) {
      act_argvalue[size_t(i)] = RValue(std::string_view(text));
      kind = kArgConstant;
    } else {
      kind = kArgExpression;
      auto code = std::make_unique<CCode>(text, true);
      if (!code->Compile()) {
        ReportEventError("COMPILATION ERROR in argument " + std::to_string(i) + "\r" + ErrorText, true);
        ClearError();
        return false;
      }
      if (code->i_kind == CCode::kConstant) {
        act_argvalue[size_t(i)] = code->i_value;
        kind = kArgConstant;
      } else {
        act_argcode[size_t(i)] = std::move(code);
      }
    }
    text.clear();
  }
  return true;
}

} // namespace vl
