#pragma once
// The date_* built-in functions: calendar arithmetic on date-time reals.

namespace vl {

// Date-time reals count days since 1899-12-30 00:00 in local time; the fraction is the time of
// day. Before that day the fraction still counts forwards from midnight (-1.25 is 29 December, 6:00).
void Register_Function_Date();

} // namespace vl
