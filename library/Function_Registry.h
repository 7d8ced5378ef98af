#pragma once
// The registry_ built-in functions on the store of Registry_Store, and the secure-mode preference
// kept there.

namespace vl {

// Whether the user's preferences ask for secure mode: the key
// HKEY_CURRENT_USER\Software\Velmora\Version 8.1\Preferences with a true "Warning" value, and, when
// the value "VelmoraRunning" is there too, a true one of that.
bool ReadSecureMode();

void Register_Function_Registry();
// The registry_ext functions work under the current user's root again.
void ResetRegistryState();

} // namespace vl
