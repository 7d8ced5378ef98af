#include "library/Include_File.h"

#include "library/File_System.h"
#include "library/Support_Report.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace vl {

namespace {

bool DeleteFile(const std::string& fname) {
  std::error_code ec;
  const fs::path path = MapPath(fname);
  return fs::is_regular_file(fs::symlink_status(path, ec)) && fs::remove(path, ec);
}

} // namespace

void CDataFile::Clear() {
  *this = CDataFile();
}

void CDataFile::Assign(const CDataFile& other) {
  Clear();
  s_filename = other.s_filename;
  s_origname = other.s_origname;
  s_exists = other.s_exists;
  s_size = other.s_size;
  s_store = other.s_store;
  if (s_exists && s_store) s_data.Bytes() = other.s_data.Bytes();
  s_exportaction = other.s_exportaction;
  s_exportdir = other.s_exportdir;
  s_overwrite = other.s_overwrite;
  s_freedata = other.s_freedata;
  s_removeend = other.s_removeend;
}

bool CDataFile::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  s_filename = stream.ReadString();
  s_origname = stream.ReadString();
  s_exists = stream.ReadBoolean();
  s_size = stream.ReadInteger();
  s_store = stream.ReadBoolean();
  if (s_exists && s_store) s_data.Bytes() = std::move(stream.ReadStream()->Bytes());
  s_exportaction = stream.ReadInteger();
  s_exportdir = stream.ReadString();
  s_overwrite = stream.ReadBoolean();
  s_freedata = stream.ReadBoolean();
  s_removeend = stream.ReadBoolean();
  return true;
}

bool CDataFile::ExportIt(const std::string& fname) const {
  if (!s_exists) return false;
  const std::string path = MapPath(fname);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(path, ec)) && !s_overwrite) return false;
  return s_data.SaveToFile(path);
}

void CDataFile::Discard() {
  if (!s_exists) return;
  s_exists = false;
  s_data = CStream(); // gives the memory back, not only the size
}

bool CDataFile::Prepare(const std::string& tempfolder) {
  if (!s_exists) return false;
  if (s_exportaction == kExportNone) return true;
  if (SecureMode() && IsPathName(s_filename)) {
    ReportFunctionError("In secure mode you cannot export a data file to " + s_filename);
    return false;
  }
  bool written = false;
  switch (s_exportaction) {
  case kExportTemp: written = ExportIt(tempfolder + "\\" + s_filename); break;
  case kExportName: written = ExportIt(s_filename); break;
  case kExportFolder: {
    if (SecureMode()) {
      ReportFunctionError("In secure mode you cannot export a data file to an indicated directory.");
      return false;
    }
    std::error_code ec;
    fs::create_directories(MapPath(s_exportdir), ec);
    written = ExportIt(s_exportdir + "\\" + s_filename);
    break;
  }
  default: break;
  }
  if (s_freedata) Discard();
  return written;
}

bool CDataFile::Remove(const std::string& tempfolder) const {
  if (!s_removeend) return true;
  if (SecureMode() && IsPathName(s_filename)) return false;
  switch (s_exportaction) {
  case kExportNone: return true;
  case kExportTemp: return DeleteFile(tempfolder + "\\" + s_filename);
  case kExportName: return DeleteFile(s_filename);
  case kExportFolder: return !SecureMode() && DeleteFile(s_exportdir + "\\" + s_filename);
  default: return false;
  }
}

bool CIncludedFileTable::LoadSection(CStream& stream) {
  ClearAll();
  if (stream.ReadInteger() != kSectionVersion) return false;
  const int32_t count = stream.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    auto block = stream.ReadStreamC();
    t_items.push_back(std::make_unique<CDataFile>());
    t_names.emplace_back();
    if (!t_items.back()->LoadFromStream(*block)) return false;
  }
  return true;
}

CDataFile* CIncludedFileTable::FindFile(std::string_view name) const {
  for (const auto& file : t_items)
    if (file && file->s_filename == name) return file.get();
  return nullptr;
}

bool CIncludedFileTable::PrepareAll() {
  for (const auto& file : t_items)
    if (file) file->Prepare(t_tempfolder);
  return true;
}

bool CIncludedFileTable::RemoveAll() const {
  for (const auto& file : t_items)
    if (file) file->Remove(t_tempfolder);
  return true;
}

CIncludedFileTable& IncludedFiles() {
  static CIncludedFileTable table;
  return table;
}

// ---- Built-in functions -------------------------------------------------------------------------

namespace {

CDataFile* NamedFile(const RValue& name, const char* missing) {
  CDataFile* file = IncludedFiles().FindFile(name.Str());
  if (!file) ReportFunctionError(missing);
  return file;
}

void export_include_file(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CDataFile* file = NamedFile(args[0], "Trying to export non-existing file."))
    file->Prepare(IncludedFiles().t_tempfolder);
}

void export_include_file_location(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  CDataFile* file = NamedFile(args[0], "Trying to export non-existing file.");
  if (!file) return;
  if (SecureMode()) return ReportFunctionError("In secure mode you cannot export a file to a location.");
  file->ExportIt(std::string(args[1].Str()));
}

void discard_include_file(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CDataFile* file = NamedFile(args[0], "Trying to discard non-existing file.")) file->Discard();
}

} // namespace

void Register_Function_IncludedFiles() {
  RegisterFunction("export_include_file", export_include_file, 1);
  RegisterFunction("export_include_file_location", export_include_file_location, 2);
  RegisterFunction("discard_include_file", discard_include_file, 1);
}

} // namespace vl
