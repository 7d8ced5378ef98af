#include "library/Library_State.h"

#include "library/File_Binary.h"
#include "library/File_System.h"
#include "library/File_Text.h"
#include "library/Function_Program.h"
#include "library/Function_Registry.h"
#include "library/Include_File.h"
#include "library/Ini_File.h"
#include "library/Path_Class.h"
#include "library/Support_Random.h"

namespace vl {

void ResetLibraryState() {
  Paths().ClearAll();
  IncludedFiles() = CIncludedFileTable();
  ResetIniState();
  ResetBinaryFiles();
  ResetTextFiles();
  ResetRegistryState();
  ResetFileSearch();
  ResetProgramState();
  SetRandomSeed(0);
  SetStartSeed(std::nullopt);
}

} // namespace vl
