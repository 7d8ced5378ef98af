#include "script/Code_Exec.h"

#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace vl {

namespace {

CCodeHost* Host = nullptr;

// Nested runs (script calls) allowed before an 8 MiB machine stack would run out; frames are several
// times larger under AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kMaxRunDepth = 400;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kMaxRunDepth = 400;
#else
constexpr int kMaxRunDepth = 2000;
#endif
#else
constexpr int kMaxRunDepth = 2000;
#endif
int RunDepth = 0;

// Identifiers below this reach an instance's built-in variables.
constexpr int32_t kBuiltinLimit = 10000;
// Scope values from this on are instance ids; below it, from 0 on, object indices.
constexpr int32_t kFirstInstanceId = 100000;

// Remembered positions of the instance-id lookup.
int32_t IdPosition1 = -1, IdPosition2 = -1;

CInstance* FindInstanceById(int32_t id) {
  const int32_t count = Host->InstanceCount();
  for (int32_t pos : {IdPosition1, IdPosition2})
    if (pos >= 0 && pos < count)
      if (CInstance* inst = Host->InstanceAt(pos); inst && Host->InstanceId(*inst) == id)
        return Host->IsDeleted(*inst) ? nullptr : inst;
  IdPosition2 = IdPosition1;
  IdPosition1 = -1;
  for (int32_t pos = count - 1; pos >= 0; --pos) {
    CInstance* inst = Host->InstanceAt(pos);
    if (inst && Host->InstanceId(*inst) == id) {
      IdPosition1 = pos;
      return Host->IsDeleted(*inst) ? nullptr : inst;
    }
  }
  return nullptr;
}

// The argument values of one call, built in place: only the given ones are constructed.
class CArguments {
public:
  CArguments() = default;
  CArguments(const CArguments&) = delete;
  CArguments& operator=(const CArguments&) = delete;
  ~CArguments() {
    for (int32_t i = 0; i < a_count; ++i) Data()[i].~RValue();
  }
  RValue& Add() { return *new (a_raw + sizeof(RValue) * a_count++) RValue(); }
  RValue* Data() { return std::launder(reinterpret_cast<RValue*>(a_raw)); }

private:
  alignas(RValue) unsigned char a_raw[sizeof(RValue) * kMaxArguments];
  int32_t a_count = 0;
};

// A resolved variable reference: owner scope, identifier, combined index.
struct RRef {
  int32_t scope;
  int32_t id;
  int32_t k;
};

// Reading and writing the variables of one list or one instance. slot is the access's hint.
bool ReadList(CVariableList& list, const RRef& ref, int32_t& slot, RValue& out) {
  RVariable* var = list.Find(ref.id, slot);
  if (!var) return false;
  const RValue* cell = VariableCell(*var, ref.k);
  if (!cell) return false;
  out = *cell;
  return true;
}

void WriteList(CVariableList& list, const RRef& ref, int32_t& slot, const RValue& value) {
  RVariable* var = list.Find(ref.id, slot);
  if (!var) {
    slot = list.Count();
    var = &list.v_vars.emplace_back();
    var->ind = ref.id;
  }
  VariableCellForWrite(*var, ref.k) = value;
}

// Within an instance, low identifiers are its built-in variables, the rest its own list.
bool ReadInstance(CInstance* inst, CVariableList& vars, const RRef& ref, int32_t& slot, RValue& out) {
  if (ref.id < kBuiltinLimit) {
    const RBuiltinVariable* var = GetBuiltinVariable(ref.id);
    return var && var->b_getter && var->b_getter(inst, ref.k, out);
  }
  return ReadList(vars, ref, slot, out);
}

bool WriteInstance(CInstance* inst, CVariableList& vars, const RRef& ref, int32_t& slot,
                   const RValue& value) {
  if (ref.id < kBuiltinLimit) {
    const RBuiltinVariable* var = GetBuiltinVariable(ref.id);
    return var && var->b_settable && var->b_setter && var->b_setter(inst, ref.k, value);
  }
  WriteList(vars, ref, slot, value);
  return true;
}

// Scopes naming instances: all, an object (with its descendants) or an instance id.
bool ReadOf(const RRef& ref, int32_t& slot, RValue& out) {
  CInstance* owner = nullptr;
  if (ref.scope >= kFirstInstanceId) {
    owner = FindInstanceById(ref.scope);
  } else if (ref.scope == SCOPE_ALL) {
    for (int32_t i = 0, count = Host->InstanceCount(); i < count && !owner; ++i)
      if (CInstance* inst = Host->InstanceAt(i); inst && !Host->IsDeleted(*inst)) owner = inst;
  } else if (ref.scope >= 0) {
    std::vector<CInstance*> list;
    Host->ObjectInstances(ref.scope, list);
    for (CInstance* inst : list)
      if (!Host->IsDeleted(*inst)) {
        owner = inst;
        break;
      }
  }
  return owner && ReadInstance(owner, Host->Variables(*owner), ref, slot, out);
}

bool WriteOf(const RRef& ref, int32_t& slot, const RValue& value) {
  if (ref.scope >= kFirstInstanceId) {
    CInstance* inst = FindInstanceById(ref.scope);
    return !inst || WriteInstance(inst, Host->Variables(*inst), ref, slot, value);
  }
  bool ok = true;
  if (ref.scope == SCOPE_ALL) {
    for (int32_t i = 0, count = Host->InstanceCount(); i < count; ++i)
      if (CInstance* inst = Host->InstanceAt(i); inst && !Host->IsDeleted(*inst))
        ok = WriteInstance(inst, Host->Variables(*inst), ref, slot, value);
    return ok;
  }
  if (ref.scope < 0) return false;
  std::vector<CInstance*> list;
  Host->ObjectInstances(ref.scope, list);
  for (CInstance* inst : list)
    if (!Host->IsDeleted(*inst)) ok = WriteInstance(inst, Host->Variables(*inst), ref, slot, value);
  return ok;
}

int32_t CompoundOperator(int32_t assign) {
  switch (assign) {
  case SYM_ADD_ASSIGN: return OP_PLUS;
  case SYM_SUB_ASSIGN: return OP_MINUS;
  case SYM_MUL_ASSIGN: return OP_TIMES;
  case SYM_DIV_ASSIGN: return OP_DIVIDE;
  case SYM_OR_ASSIGN: return OP_BIT_OR;
  case SYM_AND_ASSIGN: return OP_BIT_AND;
  default: return OP_BIT_XOR; // SYM_XOR_ASSIGN
  }
}

bool SameCase(const RValue& a, const RValue& b) {
  if (a.Kind() != b.Kind()) return false;
  return a.IsReal() ? a.Real() == b.Real() : a.Str() == b.Str();
}

// Runs a block of code that is known to be compiled, for instances known to exist, below the
// nesting limit: what every run of statements comes to.
[[gnu::always_inline]] inline bool RunBlock(CInstance* self, CInstance* other, CVariableList* selfvars,
                                            const CCode& code, RValue& result);
// Runs code; selfvars are self's variables when the caller has them at hand, else null.
bool Run(CInstance* self, CInstance* other, CVariableList* selfvars, const CCode& code, RValue& result);

// Runs with up to this many declared locals keep them on the stack.
constexpr int32_t kInlineLocals = 4;

class CRun {
public:
  CRun(CInstance* self, CInstance* other, CVariableList* selfvars, const CCode& code, RValue& result)
      : r_code(code), r_self(self), r_other(other), r_selfvars(selfvars),
        r_localcount(static_cast<int32_t>(code.i_locals.size())), r_result(result) {
    if (r_localcount) MakeLocals();
  }
  ~CRun() {
    if (r_localcount && r_localcount <= kInlineLocals)
      for (int32_t i = 0; i < r_localcount; ++i) r_localvars[i].~RVariable();
  }
  CRun(const CRun&) = delete;
  CRun& operator=(const CRun&) = delete;

  bool Eval(const RToken& n, RValue& out);
  int Exec(const RToken& n);
  // The root block of a program.
  int ExecRoot(const RToken& root) { return ExecBlock(root); }

private:
  static const RToken& Child(const RToken& n, int32_t i) { return n.children[i]; }
  [[gnu::noinline]] void MakeLocals() {
    if (r_localcount <= kInlineLocals) {
      r_localvars = reinterpret_cast<RVariable*>(r_inline);
      for (int32_t i = 0; i < r_localcount; ++i) new (r_localvars + i) RVariable();
    } else {
      r_extra = std::make_unique<RRunExtra>();
      r_extra->e_locals = std::make_unique<RVariable[]>(size_t(r_localcount));
      r_localvars = r_extra->e_locals.get();
    }
  }
  // A declared local by slot, null until written.
  RVariable* Local(int32_t slot) { return r_localvars[slot].ind ? &r_localvars[slot] : nullptr; }
  RValue* LocalCell(const RToken& n) {
    RVariable* var = Local(n.slot);
    return var ? &var->simplevalue : nullptr;
  }
  // A local by identifier, for scopes computed at run time; with create, made when missing.
  RVariable* FindLocal(int32_t id, bool create) {
    const std::vector<int32_t>& ids = r_code.i_locals;
    if (auto it = std::find(ids.begin(), ids.end(), id); it != ids.end()) {
      RVariable& var = r_localvars[it - ids.begin()];
      return var.ind || create ? &var : nullptr;
    }
    if (!r_extra) {
      if (!create) return nullptr;
      r_extra = std::make_unique<RRunExtra>();
    }
    CVariableList& undeclared = r_extra->e_undeclared;
    if (RVariable* var = undeclared.Find(id); var || !create) return var;
    RVariable& var = undeclared.v_vars.emplace_back();
    var.ind = id;
    return &var;
  }
  bool Fail(int32_t position, std::string_view message) {
    RecordError(r_code, position, message);
    return false;
  }
  int FailCode(int32_t position, std::string_view message) {
    RecordError(r_code, position, message);
    return EXEC_ERROR;
  }

  // The list that holds the variable of a reference when it is local, global, or a user variable of
  // self; null for every other owner and for built-in variables.
  [[gnu::always_inline]] CVariableList* StoredList(int32_t scope, int32_t id) {
    switch (scope) {
    case SCOPE_UNQUALIFIED:
      if (id < kBuiltinLimit) return nullptr;
      return IsGlobalDeclared(id) ? &GlobalVariables : r_selfvars;
    case SCOPE_SELF: return id < kBuiltinLimit ? nullptr : r_selfvars;
    case SCOPE_GLOBAL: return &GlobalVariables;
    default: return nullptr;
    }
  }
  // The stored cell of a reference held in such a list, or null when it takes the general path.
  [[gnu::always_inline]] RValue* StoredCell(const RRef& ref, const RToken& node) {
    if (ref.scope == SCOPE_LOCAL) {
      RVariable* var = node.ind2 == SCOPE_LOCAL ? Local(node.slot) : FindLocal(ref.id, false);
      return var ? const_cast<RValue*>(VariableCell(*var, ref.k)) : nullptr;
    }
    CVariableList* list = StoredList(ref.scope, ref.id);
    if (!list) return nullptr;
    RVariable* var = list->Find(ref.id, node.slot);
    return var ? const_cast<RValue*>(VariableCell(*var, ref.k)) : nullptr;
  }
  // The stored cell of a simple variable, or null when it takes the general path.
  [[gnu::always_inline]] RValue* SimpleCell(const RToken& n) {
    CVariableList* list;
    switch (n.run) {
    case RUN_LOCAL: return LocalCell(n);
    case RUN_SELF: return SelfCell(n);
    case RUN_SELF_ONLY: list = r_selfvars; break;
    case RUN_GLOBAL: list = &GlobalVariables; break;
    case RUN_ARGUMENT: return &Arguments[n.slot];
    default: return nullptr;
    }
    RVariable* var = list->Find(n.ind, n.slot);
    return var ? &var->simplevalue : nullptr;
  }
  // The stored cell of an unqualified user variable.
  [[gnu::noinline]] RValue* SelfCell(const RToken& n) {
    RVariable* var = (IsGlobalDeclared(n.ind) ? GlobalVariables : *r_selfvars).Find(n.ind, n.slot);
    return var ? &var->simplevalue : nullptr;
  }
  // A built-in variable of self read through its getter (built-in names are never declared global).
  [[gnu::noinline]] bool SelfBuiltin(const RToken& n, RValue& out) {
    const RBuiltinVariable* var = GetBuiltinVariable(n.ind);
    return (var && var->b_getter && var->b_getter(r_self, 0, out)) || Unknown(RRef{n.ind2, n.ind, 0}, n, out);
  }
  // The value of n without a copy when it is a constant or a stored simple variable, else n evaluated
  // into tmp; null on error. The pointer is only good until the next write to a variable.
  [[gnu::always_inline]] const RValue* Value(const RToken& n, RValue& tmp) {
    if (const RValue* v = InPlace(n)) return v;
    if (n.run >= RUN_CALL_BUILTIN) return Eval(n, tmp) ? &tmp : nullptr;
    return ValueOf(n, tmp);
  }
  // Value, through Real for a pure expression that is not read in place.
  [[gnu::always_inline]] const RValue* ValueAny(const RToken& n, RValue& tmp) {
    if (const RValue* v = InPlace(n)) return v;
    if (double d; n.pure && Real(n, d)) {
      tmp.SetReal(d);
      return &tmp;
    }
    if (n.run >= RUN_CALL_BUILTIN) return Eval(n, tmp) ? &tmp : nullptr;
    return ValueOf(n, tmp);
  }
  // The value of a constant, a written local, an argument or a stored variable of self, read in
  // place; null for anything else.
  // Reading these changes nothing, so a caller may look before evaluating in general.
  [[gnu::always_inline]] const RValue* InPlace(const RToken& n) {
    if (n.run == RUN_CONSTANT) return &n.value;
    if (n.run == RUN_LOCAL) return LocalCell(n);
    if (n.run == RUN_ARGUMENT) return &Arguments[n.slot];
    return n.run == RUN_SELF ? SelfCell(n) : nullptr;
  }
  [[gnu::noinline]] const RValue* ValueOf(const RToken& n, RValue& tmp) {
    switch (n.run) {
    case RUN_LOCAL:
    case RUN_SELF:
    case RUN_SELF_ONLY:
    case RUN_GLOBAL:
    case RUN_ARGUMENT:
      if (const RValue* cell = SimpleCell(n)) return cell;
      return Read(RRef{n.ind2, n.ind, 0}, n, tmp) ? &tmp : nullptr;
    case RUN_VARIABLE: return VariableValue(n, tmp);
    default: return Eval(n, tmp) ? &tmp : nullptr;
    }
  }
  // The stored cell of a variable reference, else its value read into tmp; null on error.
  [[gnu::always_inline]] const RValue* VariableValue(const RToken& n, RValue& tmp) {
    RRef ref;
    if (!Reference(n, ref)) return nullptr;
    if (const RValue* cell = StoredCell(ref, n)) return cell;
    return Read(ref, n, tmp) ? &tmp : nullptr;
  }
  bool Reference(const RToken& n, RRef& ref);
  // Whole numbers within a row, the usual indices, skip rounding and the range messages; a local or a
  // constant index is read in place.
  static bool PlainIndex(const RValue& v, int32_t& index) {
    const double d = v.Real();
    if (!v.IsReal() || !(d >= 0 && d < kArrayRow) || double(int32_t(d)) != d) return false;
    index = int32_t(d);
    return true;
  }
  [[gnu::always_inline]] bool Index(const RToken& n, int32_t& index) {
    if (n.pure) {
      r_off = false;
      index = RealIndex(n);
      if (!r_off) return true;
    }
    if (n.run == RUN_LOCAL && r_localvars[n.slot].ind && PlainIndex(r_localvars[n.slot].simplevalue, index))
      return true;
    if (n.run == RUN_CONSTANT && PlainIndex(n.value, index)) return true;
    return IndexOf(n, index);
  }
  [[gnu::noinline]] bool IndexOf(const RToken& n, int32_t& index) {
    RValue tmp;
    const RValue* v = Value(n, tmp);
    return v && (PlainIndex(*v, index) || IndexValue(*v, n.position, index));
  }
  bool IndexValue(const RValue& v, int32_t position, int32_t& index);
  // A pure expression (RToken::pure) evaluated as a real without making values; false when a step
  // leaves that path (a string, a missing variable, an index that needs rounding or is out of range, a
  // division by zero), and the caller then evaluates in general, which repeats the reads and reports.
  [[gnu::always_inline]] bool Real(const RToken& n, double& out) {
    r_off = false;
    out = RealOf(n);
    return !r_off;
  }
  // The value travels in a register; a step that leaves the path sets r_off and gives 0.
  [[gnu::hot]] double RealOf(const RToken& n);
  double Off() {
    r_off = true;
    return 0;
  }
  // RealOf with the common leaves read in place.
  [[gnu::always_inline]] double Operand(const RToken& n) {
    if (n.run == RUN_LOCAL) {
      const RVariable& var = r_localvars[n.slot];
      return var.ind && var.simplevalue.IsReal() ? var.simplevalue.Real() : Off();
    }
    if (n.run == RUN_CONSTANT) return n.value.IsReal() ? n.value.Real() : Off();
    return RealOf(n);
  }
  double RealIn(const RValue* v) { return v && v->IsReal() ? v->Real() : Off(); }
  // An array element of a constant scope read as a real.
  [[gnu::noinline]] double RealElement(const RToken& n);
  // A whole index within a row; anything else leaves the path.
  [[gnu::always_inline]] int32_t RealIndex(const RToken& n) {
    const double d = Operand(n);
    if (!(d >= 0 && d < kArrayRow) || static_cast<double>(static_cast<int32_t>(d)) != d) {
      r_off = true;
      return 0;
    }
    return static_cast<int32_t>(d);
  }
  // Eval, through Real when the expression is pure.
  [[gnu::always_inline]] bool EvalAny(const RToken& n, RValue& out) {
    double d;
    if (n.pure && Real(n, d)) {
      out.SetReal(d);
      return true;
    }
    return Eval(n, out);
  }
  bool Read(const RRef& ref, const RToken& node, RValue& out);
  // The end of a read that found no owner: the real 0 or the message.
  bool Unknown(const RRef& ref, const RToken& node, RValue& out);
  bool ReadOwner(const RRef& ref, const RToken& node, RValue& out);
  bool Write(const RRef& ref, const RToken& node, const RValue& value);
  [[gnu::noinline]] bool Call(const RToken& n, RValue& out);
  [[gnu::noinline]] bool CallScriptNode(const RToken& n, RValue& out);
  [[gnu::noinline]] bool EvalConstant(const RToken& n, RValue& out);
  [[gnu::noinline]] bool EvalSimple(const RToken& n, RValue& out);
  [[gnu::noinline]] bool EvalOwned(const RToken& n, RValue& out);
  [[gnu::noinline]] bool NoExpression(const RToken& n);
  [[gnu::noinline]] bool EvalVariable(const RToken& n, RValue& out);
  [[gnu::noinline]] bool EvalUnary(const RToken& n, RValue& out);
  // A binary operator; OP 0 takes the operator from the node.
  template <int32_t OP>
  [[gnu::noinline]] bool EvalBinary(const RToken& n, RValue& out);
  [[gnu::noinline]] bool EvalOperands(const RToken& n, RValue& out);
  // The truth of a condition: 1 or 0, or -1 on error (message when the value is no real).
  int Truth(const RToken& cond, std::string_view message);
  [[gnu::noinline]] int TruthOf(const RToken& cond, std::string_view message);
  [[gnu::noinline]] int ExecBlock(const RToken& n);
  [[gnu::noinline]] int ExecCall(const RToken& n);
  [[gnu::noinline]] int ExecReturn(const RToken& n);
  [[gnu::noinline]] int ExecGlobalVar(const RToken& n);
  [[gnu::noinline]] int NoStatement(const RToken& n);
  [[gnu::noinline]] int ExecIf(const RToken& n);
  [[gnu::noinline]] int ExecWhile(const RToken& n);
  [[gnu::noinline]] int ExecDo(const RToken& n);
  [[gnu::noinline]] int ExecFor(const RToken& n);
  [[gnu::noinline]] int ExecRepeat(const RToken& n);
  [[gnu::noinline]] int Assign(const RToken& n);
  // A compound assignment once its value is known: read, combine, write.
  [[gnu::noinline]] int Combine(const RToken& n, const RRef& ref, const RValue& value);
  [[gnu::noinline]] int AssignLocal(const RToken& n);
  [[gnu::noinline]] int AssignBuiltin(const RToken& n);
  [[gnu::noinline]] int CombineBuiltin(const RToken& n);
  // Hands a value to a built-in variable of self through its setter.
  int SetBuiltin(const RToken& n, const RBuiltinVariable* var);
  // OP 0 takes the operator from the node.
  template <int32_t OP>
  [[gnu::noinline]] int CombineLocal(const RToken& n);
  [[gnu::noinline]] int With(const RToken& n);
  int WithOne(CInstance* inst, const RToken& body);
  [[gnu::noinline]] int Switch(const RToken& n);

  const CCode& r_code;
  CInstance* r_self;
  CInstance* r_other;
  CVariableList* r_selfvars;
  // The declared locals, by slot: ind stays 0 until the variable is written.
  int32_t r_localcount;
  RVariable* r_localvars = nullptr;
  alignas(RVariable) unsigned char r_inline[kInlineLocals * sizeof(RVariable)];
  // What few runs need: many locals, and locals that were never declared, reached through a
  // computed local scope.
  struct RRunExtra {
    std::unique_ptr<RVariable[]> e_locals;
    CVariableList e_undeclared;
  };
  std::unique_ptr<RRunExtra> r_extra;
  RValue& r_result;
  bool r_off = false; // a step of RealOf left the real path
};

bool CRun::IndexValue(const RValue& v, int32_t position, int32_t& index) {
  if (!v.IsReal()) return Fail(position, "Wrong type of array index");
  int64_t i = RoundToInt64(v.Real());
  if (i < 0) return Fail(position, "Negative array index");
  if (i >= kArrayRow) return Fail(position, "Array index >= 32000");
  index = static_cast<int32_t>(i);
  return true;
}

double CRun::RealOf(const RToken& n) {
  switch (n.run) {
  case RUN_CONSTANT: return RealIn(&n.value);
  case RUN_LOCAL: return RealIn(LocalCell(n));
  case RUN_ARGUMENT: return RealIn(&Arguments[n.slot]);
  case RUN_SELF:
  case RUN_SELF_ONLY:
  case RUN_GLOBAL: return RealIn(SimpleCell(n));
  case RUN_VARIABLE: return RealElement(n);
  case RUN_UNARY: {
    const double v = Operand(Child(n, 0));
    switch (n.ind) {
    case OP_NOT: return IsTrue(v) ? 0 : 1;
    case OP_PLUS: return v;
    case OP_MINUS: return -v;
    case OP_BIT_NOT: return static_cast<double>(~RoundToInt64(v));
    default: return Off();
    }
  }
  default: break;
  }
  const double l = Operand(Child(n, 0)), r = Operand(Child(n, 1));
  double out = 0;
  switch (n.run) {
  case RUN_ADD: return l + r;
  case RUN_SUBTRACT: return l - r;
  case RUN_MULTIPLY: return Multiply(l, r);
  case RUN_DIVIDE: return RealOperation(OP_DIVIDE, l, r, out) ? out : Off();
  case RUN_DIV: return RealOperation(OP_DIV, l, r, out) ? out : Off();
  case RUN_MOD: return RealOperation(OP_MOD, l, r, out) ? out : Off();
  case RUN_LESS: return RealOperation(OP_LESS, l, r, out) ? out : Off();
  case RUN_LESS_EQUAL: return RealOperation(OP_LESS_EQUAL, l, r, out) ? out : Off();
  case RUN_EQUAL: return RealOperation(OP_EQUAL2, l, r, out) ? out : Off();
  case RUN_NOT_EQUAL: return RealOperation(OP_NOT_EQUAL, l, r, out) ? out : Off();
  case RUN_GREATER_EQUAL: return RealOperation(OP_GREATER_EQUAL, l, r, out) ? out : Off();
  case RUN_GREATER: return RealOperation(OP_GREATER, l, r, out) ? out : Off();
  case RUN_AND: return IsTrue(l) && IsTrue(r);
  case RUN_OR: return IsTrue(l) || IsTrue(r);
  default: return RealOperation(n.ind, l, r, out) ? out : Off();
  }
}

double CRun::RealElement(const RToken& n) {
  const int32_t i = n.itemnumb > 1 ? RealIndex(Child(n, 1)) : 0;
  const int32_t j = n.itemnumb > 2 ? RealIndex(Child(n, 2)) : 0;
  RVariable* var;
  if (n.ind2 == SCOPE_LOCAL) {
    var = Local(n.slot);
  } else {
    CVariableList* list = StoredList(n.ind2, n.ind);
    var = list ? list->Find(n.ind, n.slot) : nullptr;
  }
  return var ? RealIn(VariableCell(*var, n.itemnumb > 2 ? i * kArrayRow + j : i)) : Off();
}

bool CRun::Reference(const RToken& n, RRef& ref) {
  ref.id = n.ind;
  ref.k = 0;
  if (n.kind == NODE_SIMPLE_VARIABLE) {
    ref.scope = n.ind2;
    return true;
  }
  if (n.ind2 != kScopeComputed) {
    ref.scope = n.ind2;
  } else {
    const RToken& scope = Child(n, 0);
    RValue tmp;
    const RValue* v = Value(scope, tmp);
    if (!v) return false;
    if (!v->IsReal()) return Fail(scope.position, "Wrong type of variable index");
    ref.scope = RoundToInt32(v->Real());
  }
  int32_t i = 0, j = 0;
  if (n.itemnumb > 1 && !Index(Child(n, 1), i)) return false;
  if (n.itemnumb > 2 && !Index(Child(n, 2), j)) return false;
  ref.k = n.itemnumb > 2 ? i * kArrayRow + j : i;
  return true;
}

bool CRun::ReadOwner(const RRef& ref, const RToken& node, RValue& out) {
  switch (ref.scope) {
  case SCOPE_UNQUALIFIED:
    if (IsGlobalDeclared(ref.id)) return ReadList(GlobalVariables, ref, node.slot, out);
    return ReadInstance(r_self, *r_selfvars, ref, node.slot, out);
  case SCOPE_SELF: return ReadInstance(r_self, *r_selfvars, ref, node.slot, out);
  case SCOPE_LOCAL: {
    RVariable* var = node.ind2 == SCOPE_LOCAL ? Local(node.slot) : FindLocal(ref.id, false);
    const RValue* cell = var ? VariableCell(*var, ref.k) : nullptr;
    if (cell) out = *cell;
    return cell != nullptr;
  }
  case SCOPE_GLOBAL: return ReadList(GlobalVariables, ref, node.slot, out);
  case SCOPE_OTHER: return ReadInstance(r_other, Host->Variables(*r_other), ref, node.slot, out);
  case SCOPE_NOONE: return false;
  default: break;
  }
  return ReadOf(ref, node.slot, out);
}

bool CRun::Read(const RRef& ref, const RToken& node, RValue& out) {
  return ReadOwner(ref, node, out) || Unknown(ref, node, out);
}

bool CRun::Unknown(const RRef& ref, const RToken& node, RValue& out) {
  if (TreatUninitializedAsZero) {
    out = RValue();
    return true;
  }
  std::string message = "Unknown variable " + VariableName(ref.id);
  if (ref.k > 0) message += " or array index out of bounds";
  return Fail(node.position, message);
}

bool CRun::Write(const RRef& ref, const RToken& node, const RValue& value) {
  switch (ref.scope) {
  case SCOPE_UNQUALIFIED:
    if (IsGlobalDeclared(ref.id)) {
      WriteList(GlobalVariables, ref, node.slot, value);
      return true;
    }
    return WriteInstance(r_self, *r_selfvars, ref, node.slot, value);
  case SCOPE_SELF: return WriteInstance(r_self, *r_selfvars, ref, node.slot, value);
  case SCOPE_LOCAL: {
    RVariable* var = node.ind2 == SCOPE_LOCAL ? &r_localvars[node.slot] : FindLocal(ref.id, true);
    var->ind = ref.id;
    VariableCellForWrite(*var, ref.k) = value;
    return true;
  }
  case SCOPE_GLOBAL: WriteList(GlobalVariables, ref, node.slot, value); return true;
  case SCOPE_OTHER: return WriteInstance(r_other, Host->Variables(*r_other), ref, node.slot, value);
  case SCOPE_NOONE: return false;
  default: return WriteOf(ref, node.slot, value);
  }
}

bool CRun::Call(const RToken& n, RValue& out) {
  CArguments list;
  const int32_t argc = n.itemnumb;
  for (int32_t i = 0; i < argc; ++i)
    if (!EvalAny(Child(n, i), list.Add())) return false;
  RValue* args = list.Data();
  if (n.run == RUN_CALL_BUILTIN) {
    const RFunction* f = GetBuiltinFunction(n.ind);
    if (!f || !f->f_routine) return Fail(n.position, "Internal Error: calling an unknown function.");
    RValue result;
    f->f_routine(r_self, r_other, argc, result, args);
    out = std::move(result);
    return true;
  }
  return Host->CallExtension(n.ind - kFirstExtensionFunction, r_self, r_other, argc, args, out);
}

// The arguments go straight into the callee's slots, and the script runs for the same instances
// without going through the host again.
bool CRun::CallScriptNode(const RToken& n, RValue& out) {
  CArgumentFrame frame;
  const int32_t argc = n.itemnumb;
  for (int32_t i = 0; i < argc; ++i)
    if (!EvalAny(Child(n, i), frame.Slot(i))) return false;
  const int32_t script = n.ind - kFirstScriptFunction;
  const CCode* code = Host->ScriptCode(script);
  if (!code) return false;
  const std::string& name = Host->ScriptName(script);
  frame.Enter(argc, name);
  out = RValue();
  // A script body runs without the entry checks that cannot fail here.
  const bool ok = code->i_compiled && code->i_kind == CCode::kCode && code->Root().run == RUN_BLOCK &&
                          RunDepth < kMaxRunDepth
                      ? RunBlock(r_self, r_other, r_selfvars, *code, out)
                      : Run(r_self, r_other, r_selfvars, *code, out);
  if (ok && (!StrictArgumentCount || argc == code->i_Args)) return true; // the usual outcome
  if (!ok) out = RValue(std::string_view("ERROR"));
  return EndScriptCall(ok, name, *code, true, argc);
}

bool CRun::EvalSimple(const RToken& n, RValue& out) {
  if (const RValue* cell = SimpleCell(n)) {
    out = *cell;
    return true;
  }
  return Unknown(RRef{n.ind2, n.ind, 0}, n, out);
}

bool CRun::EvalVariable(const RToken& n, RValue& out) {
  const RValue* v = VariableValue(n, out);
  if (v && v != &out) out = *v;
  return v != nullptr;
}

bool CRun::EvalUnary(const RToken& n, RValue& out) {
  const RToken& operand = Child(n, 0);
  return Eval(operand, out) && UnaryOperation(r_code, operand.position, n.ind, out);
}

// Two reals read in place combine at once; anything else takes the general path.
template <int32_t OP>
bool CRun::EvalBinary(const RToken& n, RValue& out) {
  if (double d; n.pure && Real(n, d)) {
    out.SetReal(d);
    return true;
  }
  const RValue* l = InPlace(Child(n, 0));
  const RValue* r = l && l->IsReal() ? InPlace(Child(n, 1)) : nullptr;
  double result;
  if (r && r->IsReal() && RealOperation(OP ? OP : n.ind, l->Real(), r->Real(), result)) {
    out.SetReal(result);
    return true;
  }
  return EvalOperands(n, out);
}

bool CRun::EvalOperands(const RToken& n, RValue& out) {
  const RToken& right = Child(n, 1);
  double result;
  if (right.run == RUN_CONSTANT || right.kind == NODE_SIMPLE_VARIABLE) {
    // Reading the right operand changes nothing, so the left one may be used in place.
    RValue ltmp, rtmp;
    const RValue* l = Value(Child(n, 0), ltmp);
    if (!l) return false;
    const RValue* r = Value(right, rtmp);
    if (!r) return false;
    if (l->IsReal() && r->IsReal() && RealOperation(n.ind, l->Real(), r->Real(), result)) {
      out.SetReal(result);
      return true;
    }
    out = *l;
    return BinaryOperation(r_code, right.position, n.ind, *r, out);
  }
  if (!Eval(Child(n, 0), out)) return false;
  RValue tmp;
  const RValue* r = Value(right, tmp);
  if (!r) return false;
  if (out.IsReal() && r->IsReal() && RealOperation(n.ind, out.Real(), r->Real(), result)) {
    out.SetReal(result);
    return true;
  }
  return BinaryOperation(r_code, right.position, n.ind, *r, out);
}

bool CRun::EvalConstant(const RToken& n, RValue& out) {
  out = n.value;
  return true;
}

bool CRun::EvalOwned(const RToken& n, RValue& out) {
  return Read(RRef{n.ind2, n.ind, 0}, n, out);
}

bool CRun::NoExpression(const RToken& n) {
  return Fail(n.position, "(Sub-)expression expected.");
}

// Each kind has its own function, so that the common ones pay for nothing the others need, and
// the dispatch itself needs no stack frame.
bool CRun::Eval(const RToken& n, RValue& out) {
  switch (n.run) {
  case RUN_CONSTANT: return EvalConstant(n, out);
  case RUN_LOCAL:
  case RUN_SELF:
  case RUN_SELF_ONLY:
  case RUN_GLOBAL:
  case RUN_ARGUMENT: return EvalSimple(n, out);
  case RUN_BUILTIN: return SelfBuiltin(n, out);
  case RUN_SIMPLE: return EvalOwned(n, out);
  case RUN_VARIABLE: return EvalVariable(n, out);
  case RUN_CALL_SCRIPT: return CallScriptNode(n, out);
  case RUN_CALL_BUILTIN:
  case RUN_CALL_EXTENSION: return Call(n, out);
  case RUN_UNARY: return EvalUnary(n, out);
  case RUN_BINARY: return EvalBinary<0>(n, out);
  case RUN_ADD: return EvalBinary<OP_PLUS>(n, out);
  case RUN_SUBTRACT: return EvalBinary<OP_MINUS>(n, out);
  case RUN_MULTIPLY: return EvalBinary<OP_TIMES>(n, out);
  case RUN_DIVIDE: return EvalBinary<OP_DIVIDE>(n, out);
  case RUN_DIV: return EvalBinary<OP_DIV>(n, out);
  case RUN_MOD: return EvalBinary<OP_MOD>(n, out);
  case RUN_LESS: return EvalBinary<OP_LESS>(n, out);
  case RUN_LESS_EQUAL: return EvalBinary<OP_LESS_EQUAL>(n, out);
  case RUN_EQUAL: return EvalBinary<OP_EQUAL2>(n, out);
  case RUN_NOT_EQUAL: return EvalBinary<OP_NOT_EQUAL>(n, out);
  case RUN_GREATER_EQUAL: return EvalBinary<OP_GREATER_EQUAL>(n, out);
  case RUN_GREATER: return EvalBinary<OP_GREATER>(n, out);
  case RUN_AND: return EvalBinary<OP_AND>(n, out);
  case RUN_OR: return EvalBinary<OP_OR>(n, out);
  default: return NoExpression(n);
  }
}

int CRun::Assign(const RToken& n) {
  const RToken& target = Child(n, 0);
  const RToken& expr = Child(n, 1);
  RRef ref{target.ind2, target.ind, 0};
  if (target.kind != NODE_SIMPLE_VARIABLE && !Reference(target, ref)) return EXEC_ERROR;
  if (n.run == RUN_ASSIGN) {
    if (!EvalAny(expr, r_result)) return EXEC_ERROR;
    // Where the variable lives is decided after the value, which may have declared it global.
    // Argument slots take the setter's path.
    if (RValue* cell = target.run == RUN_ARGUMENT ? nullptr : SimpleCell(target)) {
      *cell = r_result;
      return EXEC_NORMAL;
    }
    if (!Write(ref, target, r_result)) return FailCode(n.position, "Cannot assign to the variable");
    return EXEC_NORMAL;
  }
  RValue tmp;
  const RValue* value = ValueAny(expr, tmp);
  if (!value) return EXEC_ERROR;
  const int32_t op = CompoundOperator(n.ind);
  double result;
  // A stored real updated in place: the same read, combine and write, without the lookups.
  if (value->IsReal() && target.run != RUN_ARGUMENT)
    if (RValue* cell = SimpleCell(target);
        cell && cell->IsReal() && RealOperation(op, cell->Real(), value->Real(), result)) {
      cell->SetReal(result);
      r_result.SetReal(result);
      return EXEC_NORMAL;
    }
  return Combine(n, ref, *value);
}

int CRun::Combine(const RToken& n, const RRef& ref, const RValue& value) {
  const RToken& target = Child(n, 0);
  const int32_t op = CompoundOperator(n.ind);
  double result;
  if (!Read(ref, target, r_result)) return EXEC_ERROR;
  if (r_result.IsReal() && value.IsReal() && RealOperation(op, r_result.Real(), value.Real(), result))
    r_result.SetReal(result);
  else if (!BinaryOperation(r_code, n.position, op, value, r_result))
    return EXEC_ERROR;
  if (!Write(ref, target, r_result)) return FailCode(n.position, "Cannot assign to the variable");
  return EXEC_NORMAL;
}

int CRun::AssignLocal(const RToken& n) {
  const RToken& target = Child(n, 0);
  if (!EvalAny(Child(n, 1), r_result)) return EXEC_ERROR;
  RVariable& var = r_localvars[target.slot];
  var.ind = target.ind;
  var.simplevalue = r_result;
  return EXEC_NORMAL;
}

int CRun::SetBuiltin(const RToken& n, const RBuiltinVariable* var) {
  if (var && var->b_settable && var->b_setter && var->b_setter(r_self, 0, r_result)) return EXEC_NORMAL;
  return FailCode(n.position, "Cannot assign to the variable");
}

int CRun::AssignBuiltin(const RToken& n) {
  if (!EvalAny(Child(n, 1), r_result)) return EXEC_ERROR;
  return SetBuiltin(n, GetBuiltinVariable(Child(n, 0).ind));
}

int CRun::CombineBuiltin(const RToken& n) {
  const RToken& target = Child(n, 0);
  RValue tmp;
  const RValue* value = ValueAny(Child(n, 1), tmp);
  if (!value) return EXEC_ERROR;
  const RBuiltinVariable* var = GetBuiltinVariable(target.ind);
  if (!(var && var->b_getter && var->b_getter(r_self, 0, r_result)) &&
      !Unknown(RRef{target.ind2, target.ind, 0}, target, r_result))
    return EXEC_ERROR;
  const int32_t op = CompoundOperator(n.ind);
  double result;
  if (r_result.IsReal() && value->IsReal() && RealOperation(op, r_result.Real(), value->Real(), result))
    r_result.SetReal(result);
  else if (!BinaryOperation(r_code, n.position, op, *value, r_result))
    return EXEC_ERROR;
  return SetBuiltin(n, var);
}

template <int32_t OP>
int CRun::CombineLocal(const RToken& n) {
  const RToken& target = Child(n, 0);
  RValue tmp;
  const RValue* value = ValueAny(Child(n, 1), tmp);
  if (!value) return EXEC_ERROR;
  RVariable& var = r_localvars[target.slot];
  double result;
  if (var.ind && var.simplevalue.IsReal() && value->IsReal() &&
      RealOperation(OP ? OP : CompoundOperator(n.ind), var.simplevalue.Real(), value->Real(), result)) {
    var.simplevalue.SetReal(result);
    r_result.SetReal(result);
    return EXEC_NORMAL;
  }
  return Combine(n, RRef{SCOPE_LOCAL, target.ind, 0}, *value);
}

int CRun::WithOne(CInstance* inst, const RToken& body) {
  CInstance *self = r_self, *other = r_other;
  CVariableList* selfvars = r_selfvars;
  r_other = r_self;
  r_self = inst;
  r_selfvars = &Host->Variables(*inst);
  int code = Exec(body);
  r_self = self;
  r_other = other;
  r_selfvars = selfvars;
  return code;
}

int CRun::With(const RToken& n) {
  const RToken& expr = Child(n, 0);
  const RToken& body = Child(n, 1);
  RValue v;
  if (!Eval(expr, v)) return EXEC_ERROR;
  if (!v.IsReal()) return FailCode(expr.position, "Object id expected");
  const int64_t target = RoundToInt64(v.Real());
  // Looping forms: 0 and continue go on, break ends the with, other codes end it and are passed on.
  auto each = [&](CInstance* inst, int& code) {
    if (!inst || Host->IsDeleted(*inst)) return true;
    code = WithOne(inst, body);
    if (code == EXEC_NORMAL || code == EXEC_CONTINUE) return true;
    if (code == EXEC_BREAK) code = EXEC_NORMAL;
    return false;
  };
  int code = EXEC_NORMAL;
  if (target == SCOPE_ALL) {
    // Instances added by the body are not visited; a list that shrinks is not read past its end.
    const int32_t count = Host->InstanceCount();
    for (int32_t i = 0; i < count && i < Host->InstanceCount(); ++i)
      if (!each(Host->InstanceAt(i), code)) return code;
    return EXEC_NORMAL;
  }
  if (target >= 0 && target < kFirstInstanceId) {
    std::vector<CInstance*> list;
    Host->ObjectInstances(static_cast<int32_t>(target), list);
    for (CInstance* inst : list)
      if (!each(inst, code)) return code;
    return EXEC_NORMAL;
  }
  CInstance* single = nullptr;
  if (target >= kFirstInstanceId) {
    for (int32_t i = 0, count = Host->InstanceCount(); i < count && !single; ++i)
      if (CInstance* inst = Host->InstanceAt(i); inst && Host->InstanceId(*inst) == target) single = inst;
    if (!single || Host->IsDeleted(*single)) return EXEC_NORMAL;
  } else if (target == SCOPE_OTHER) {
    single = r_other;
  } else if (target == SCOPE_SELF || target == SCOPE_UNQUALIFIED) {
    single = r_self;
  } else if (target == SCOPE_LOCAL) {
    return FailCode(expr.position, "Cannot use local in with statement.");
  } else if (target == SCOPE_GLOBAL) {
    return FailCode(expr.position, "Cannot use global in with statement.");
  } else {
    return EXEC_NORMAL; // noone, or an object index that has no instances
  }
  // Single forms pass break on, so that it leaves the enclosing loop.
  code = WithOne(single, body);
  return code == EXEC_CONTINUE ? EXEC_NORMAL : code;
}

int CRun::Switch(const RToken& n) {
  RValue value;
  if (!EvalAny(Child(n, 0), value)) return EXEC_ERROR;
  int32_t start = n.itemnumb;
  for (int32_t i = 1; i < n.itemnumb && start == n.itemnumb; ++i) {
    const RToken& s = Child(n, i);
    if (s.kind == NODE_DEFAULT) {
      start = i;
    } else if (s.kind == NODE_CASE) {
      // A constant label is compared where it stands.
      const RToken& expr = Child(s, 0);
      if (expr.run == RUN_CONSTANT) {
        if (SameCase(value, expr.value)) start = i;
        continue;
      }
      RValue label;
      if (!Eval(expr, label)) return EXEC_ERROR;
      if (SameCase(value, label)) start = i;
    }
  }
  for (int32_t i = start + 1; i < n.itemnumb; ++i) {
    const RToken& s = Child(n, i);
    if (s.kind == NODE_CASE || s.kind == NODE_DEFAULT) continue;
    int code = Exec(s);
    if (code == EXEC_BREAK) return EXEC_NORMAL;
    if (code != EXEC_NORMAL) return code;
  }
  return EXEC_NORMAL;
}

// A pure condition decides without making its value.
[[gnu::always_inline]] inline int CRun::Truth(const RToken& cond, std::string_view message) {
  if (double d; cond.pure && Real(cond, d)) return IsTrue(d);
  return TruthOf(cond, message);
}

int CRun::TruthOf(const RToken& cond, std::string_view message) {
  RValue tmp;
  const RValue* v = Value(cond, tmp);
  if (!v) return -1;
  if (!v->IsReal()) {
    Fail(cond.position, message);
    return -1;
  }
  return IsTrue(v->Real());
}

int CRun::ExecBlock(const RToken& n) {
  for (int32_t i = 0; i < n.itemnumb; ++i)
    if (int code = Exec(Child(n, i)); code != EXEC_NORMAL) return code;
  return EXEC_NORMAL;
}

int CRun::ExecIf(const RToken& n) {
  const int taken = Truth(Child(n, 0), "Expression expected");
  if (taken < 0) return EXEC_ERROR;
  if (taken) return Exec(Child(n, 1));
  return n.itemnumb > 2 ? Exec(Child(n, 2)) : EXEC_NORMAL;
}

int CRun::ExecWhile(const RToken& n) {
  const RToken &cond = Child(n, 0), &body = Child(n, 1);
  for (;;) {
    const int taken = Truth(cond, "Boolean expression expected");
    if (taken < 0) return EXEC_ERROR;
    if (!taken) return EXEC_NORMAL;
    int code = Exec(body);
    if (code == EXEC_BREAK) return EXEC_NORMAL;
    if (code != EXEC_NORMAL && code != EXEC_CONTINUE) return code;
  }
}

int CRun::ExecDo(const RToken& n) {
  const RToken &body = Child(n, 0), &cond = Child(n, 1);
  for (;;) {
    int code = Exec(body);
    if (code == EXEC_BREAK) return EXEC_NORMAL;
    if (code != EXEC_NORMAL && code != EXEC_CONTINUE) return code;
    const int taken = Truth(cond, "Boolean expression expected");
    if (taken < 0) return EXEC_ERROR;
    if (taken) return EXEC_NORMAL;
  }
}

int CRun::ExecFor(const RToken& n) {
  const RToken &cond = Child(n, 1), &step = Child(n, 2), &body = Child(n, 3);
  int code = Exec(Child(n, 0));
  while (code == EXEC_NORMAL) {
    const int taken = Truth(cond, "Expression expected");
    if (taken < 0) return EXEC_ERROR;
    if (!taken) return EXEC_NORMAL;
    int inner = Exec(body);
    if (inner == EXEC_BREAK) return EXEC_NORMAL;
    if (inner != EXEC_NORMAL && inner != EXEC_CONTINUE) return inner;
    code = Exec(step);
  }
  return code;
}

int CRun::ExecRepeat(const RToken& n) {
  const RToken& count = Child(n, 0);
  RValue v;
  if (!Eval(count, v)) return EXEC_ERROR;
  if (!v.IsReal()) return FailCode(count.position, "Repeat count must be a number");
  const RToken& body = Child(n, 1);
  for (int64_t i = 0, times = RoundToInt64(v.Real()); i < times; ++i) {
    int code = Exec(body);
    if (code == EXEC_BREAK) return EXEC_NORMAL;
    if (code != EXEC_NORMAL && code != EXEC_CONTINUE) return code;
  }
  return EXEC_NORMAL;
}

int CRun::ExecCall(const RToken& n) {
  const bool ok = n.run == RUN_CALL_SCRIPT ? CallScriptNode(n, r_result) : Call(n, r_result);
  return ok ? EXEC_NORMAL : EXEC_ERROR;
}

int CRun::ExecReturn(const RToken& n) {
  return EvalAny(Child(n, 0), r_result) ? EXEC_EXIT : EXEC_ERROR;
}

int CRun::ExecGlobalVar(const RToken& n) {
  for (int32_t i = 0; i < n.itemnumb; ++i) DeclareGlobal(Child(n, i).ind);
  return EXEC_NORMAL;
}

int CRun::NoStatement(const RToken& n) {
  if (n.run == RUN_CASE) return FailCode(n.position, "Case statement only allowed inside switch statement.");
  if (n.run == RUN_DEFAULT)
    return FailCode(n.position, "Default statement only allowed inside switch statement.");
  return FailCode(n.position, "Statement expected.");
}

int CRun::Exec(const RToken& n) {
  switch (n.run) {
  case RUN_BLOCK: return ExecBlock(n);
  case RUN_ASSIGN:
  case RUN_COMPOUND: return Assign(n);
  case RUN_ASSIGN_LOCAL: return AssignLocal(n);
  case RUN_ADD_LOCAL: return CombineLocal<OP_PLUS>(n);
  case RUN_SUBTRACT_LOCAL: return CombineLocal<OP_MINUS>(n);
  case RUN_COMPOUND_LOCAL: return CombineLocal<0>(n);
  case RUN_ASSIGN_BUILTIN: return AssignBuiltin(n);
  case RUN_COMPOUND_BUILTIN: return CombineBuiltin(n);
  case RUN_CALL_SCRIPT:
  case RUN_CALL_BUILTIN:
  case RUN_CALL_EXTENSION: return ExecCall(n);
  case RUN_IF: return ExecIf(n);
  case RUN_WHILE: return ExecWhile(n);
  case RUN_DO: return ExecDo(n);
  case RUN_FOR: return ExecFor(n);
  case RUN_REPEAT: return ExecRepeat(n);
  case RUN_WITH: return With(n);
  case RUN_SWITCH: return Switch(n);
  case RUN_CASE:
  case RUN_DEFAULT:
  default: return NoStatement(n);
  case RUN_EXIT: return EXEC_EXIT;
  case RUN_BREAK: return EXEC_BREAK;
  case RUN_CONTINUE: return EXEC_CONTINUE;
  case RUN_RETURN: return ExecReturn(n);
  case RUN_VAR: return EXEC_NORMAL;
  case RUN_GLOBALVAR: return ExecGlobalVar(n);
  }
}

[[gnu::always_inline]] inline bool RunBlock(CInstance* self, CInstance* other, CVariableList* selfvars,
                                            const CCode& code, RValue& result) {
  ErrorPending = false;
  ErrorText.clear();
  ++RunDepth;
  CRun run(self, other, selfvars, code, result);
  const bool ok = run.ExecRoot(code.Root()) != EXEC_ERROR;
  --RunDepth;
  return ok;
}

bool Run(CInstance* self, CInstance* other, CVariableList* selfvars, const CCode& code, RValue& result) {
  ErrorPending = false;
  ErrorText.clear();
  if (!code.i_compiled) {
    RecordError(code, 1, "Internal Error: Executing non-compiled code.");
    return false;
  }
  if (code.i_kind == CCode::kConstant) {
    result = code.i_value;
    return true;
  }
  if (!self || !other || !Host) {
    RecordError(code, 1, "Internal Error: Executing code for nil instance.");
    return false;
  }
  if (RunDepth >= kMaxRunDepth) {
    RecordError(code, 1, "Script calls are nested too deeply.");
    return false;
  }
  if (!selfvars) selfvars = &Host->Variables(*self);
  const RToken& root = code.Root();
  if (code.i_kind == CCode::kCode && root.kind == NODE_BLOCK)
    return RunBlock(self, other, selfvars, code, result);
  if (code.i_kind == CCode::kCode && root.kind == NODE_EMPTY) return true;
  if (code.i_kind == CCode::kCode) {
    RecordError(code, root.position, "This is not a program.");
    return false;
  }
  ++RunDepth;
  CRun run(self, other, selfvars, code, result);
  const bool ok = run.Eval(root, result);
  --RunDepth;
  return ok;
}

} // namespace

void SetCodeHost(CCodeHost* host) {
  Host = host;
}
CCodeHost& CodeHost() {
  return *Host;
}
bool HasCodeHost() {
  return Host != nullptr;
}

bool RunCode(CInstance* self, CInstance* other, const CCode& code, RValue& result) {
  return Run(self, other, nullptr, code, result);
}

bool ReadVariableOf(int32_t scope, int32_t id, int32_t k, RValue& value) {
  int32_t slot = 0;
  return Host && (scope == SCOPE_ALL || scope >= 0) && ReadOf(RRef{scope, id, k}, slot, value);
}

bool WriteVariableOf(int32_t scope, int32_t id, int32_t k, const RValue& value) {
  int32_t slot = 0;
  return Host && (scope == SCOPE_ALL || scope >= 0) && WriteOf(RRef{scope, id, k}, slot, value);
}

bool RunCodeOrError(CInstance* self, CInstance* other, const CCode& code, RValue& result) {
  if (RunCode(self, other, code, result)) return true;
  result = RValue(std::string_view("ERROR"));
  return false;
}

} // namespace vl
