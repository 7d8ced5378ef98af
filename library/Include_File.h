#pragma once
// CDataFile: a file the game carries inside its data, with where and how to write it out at game
// start and whether to delete it at game end; and the table of included files.

#include "data/Resource_Table.h"
#include "data/Support_Stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

class CDataFile {
public:
  static constexpr int32_t kVersion = 800;
  // Where Prepare writes the file.
  enum : int32_t { kExportNone = 0, kExportTemp = 1, kExportName = 2, kExportFolder = 3 };

  void Clear();
  void Assign(const CDataFile& other);
  // False on a wrong record version (nothing else read).
  bool LoadFromStream(CStream& stream);

  // Writes the contents to fname (a game path) when the record holds contents and no file of that
  // name exists or s_overwrite is set; false when nothing was written, file errors included.
  bool ExportIt(const std::string& fname) const;
  // Drops the contents.
  void Discard();
  // The start-up export to the place s_exportaction names, freeing the contents after it when
  // s_freedata says so; secure mode refuses names with a folder part and action 3 (reported).
  bool Prepare(const std::string& tempfolder);
  // Deletes the written file at game end when s_removeend says so; true when deleted or not asked.
  bool Remove(const std::string& tempfolder) const;

  std::string s_filename; // as written out: a plain name or a relative or absolute path
  std::string s_origname; // the name the file had when it was added; carried only
  bool s_exists = false;  // the record holds contents
  int32_t s_size = 0;
  bool s_store = false;
  CStream s_data;
  int32_t s_exportaction = kExportName;
  std::string s_exportdir; // the folder of action 3
  bool s_overwrite = false;
  bool s_freedata = true;
  bool s_removeend = true;
};

// The included files in stored order; a file's number is its index. Files have no names of their
// own beside s_filename, so the section carries neither exists flags nor names.
class CIncludedFileTable : public CResourceTable<CDataFile> {
public:
  bool LoadSection(CStream& stream);
  // The first file whose s_filename is exactly name, or null.
  CDataFile* FindFile(std::string_view name) const;
  // Prepare and Remove on every file in order; both always succeed as a whole.
  bool PrepareAll();
  bool RemoveAll() const;

  std::string t_tempfolder; // the run's temporary folder, for action 1
};

CIncludedFileTable& IncludedFiles();

// Registers export_include_file, export_include_file_location and discard_include_file.
void Register_Function_IncludedFiles();

} // namespace vl
