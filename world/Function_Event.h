#pragma once
// Events performed on demand from code: event_perform, event_perform_object, event_user and
// event_inherited.

namespace vl {

void Register_Function_Event();

} // namespace vl
