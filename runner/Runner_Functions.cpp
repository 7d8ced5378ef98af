#include "runner/Runner_Functions.h"

#include "datastructures/Function_Data_Structures.h"
#include "graphics/Function_Device.h"
#include "graphics/Function_Window.h"
#include "library/File_Binary.h"
#include "library/File_System.h"
#include "library/File_Text.h"
#include "library/Function_Game.h"
#include "library/Function_Math.h"
#include "library/Function_Misc.h"
#include "library/Function_Program.h"
#include "library/Function_Registry.h"
#include "library/Include_File.h"
#include "library/Ini_File.h"
#include "script/Code_Function.h"
#include "sound/Function_Sound.h"
#include "world/Function_Event.h"
#include "world/Function_Interaction.h"
#include "world/Function_TimeLine.h"

#include <cstdio>

namespace vl {

void RegisterBuiltinFunctions() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  // Families in table order; each registers only what works.
  Register_Function_Math();
  Register_Function_Interaction();
  Register_Function_Event();
  Register_Function_Misc();
  Register_Function_IncludedFiles();
  Register_Function_Ini();
  Register_Function_Registry();
  Register_Function_BinaryFiles();
  Register_Function_TextFiles();
  Register_Function_FileSystem();
  Register_Function_Program();
  Register_Function_Game();
  Register_Function_TimeLine();
  Register_Function_DataStructures();
  Register_Function_Sound();
  Register_Function_Window();
  Register_Function_Device();
}

void ListBuiltinFunctions() {
  for (int32_t id = 0; const RFunction* f = GetBuiltinFunction(id); ++id)
    std::printf("%s\n", f->f_name.c_str());
}

} // namespace vl
