#include "library/File_System.h"

#include "data/Game_File.h"
#include "library/Support_Report.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace vl {

namespace {

// Where the name part starts: after the last "\" or ":".
size_t NameStart(std::string_view fname) {
  const size_t last = fname.find_last_of("\\:");
  return last == std::string_view::npos ? 0 : last + 1;
}

// Where the extension starts, or the end when there is none.
size_t ExtStart(std::string_view fname) {
  const size_t dot = fname.rfind('.');
  return dot == std::string_view::npos || dot < NameStart(fname) ? fname.size() : dot;
}

} // namespace

bool IsPathName(std::string_view name) {
  return name.find_first_of("\\/") != std::string_view::npos;
}

bool SecureMode() {
  return GameData().gd_securemode;
}

std::string FileNameName(std::string_view fname) {
  return std::string(fname.substr(NameStart(fname)));
}

std::string FileNamePath(std::string_view fname) {
  return std::string(fname.substr(0, NameStart(fname)));
}

std::string FileNameDir(std::string_view fname) {
  size_t end = NameStart(fname);
  // The final "\" goes, except at the root ("\") or right after a drive or another separator.
  if (end > 1 && fname[end - 1] == '\\' && fname[end - 2] != '\\' && fname[end - 2] != ':') --end;
  return std::string(fname.substr(0, end));
}

std::string FileNameDrive(std::string_view fname) {
  if (fname.size() >= 2 && fname[1] == ':') return std::string(fname.substr(0, 2));
  if (!fname.starts_with("\\\\")) return {};
  // "\\server\share": up to the separator after the share, or the whole name.
  const size_t server_end = fname.find('\\', 2);
  if (server_end == std::string_view::npos) return std::string(fname);
  return std::string(fname.substr(0, fname.find('\\', server_end + 1)));
}

std::string FileNameExt(std::string_view fname) {
  return std::string(fname.substr(ExtStart(fname)));
}

std::string FileNameChangeExt(std::string_view fname, std::string_view newext) {
  return std::string(fname.substr(0, ExtStart(fname))) + std::string(newext);
}

namespace {

std::string Arg(const RValue& v) {
  return std::string(v.Str());
}

RValue Flag(bool b) {
  return RValue(b ? 1.0 : 0.0);
}

#define VL_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

void file_exists(VL_ARGS) {
  std::error_code ec;
  result = Flag(fs::is_regular_file(MapPath(Arg(args[0])), ec));
}

void directory_exists(VL_ARGS) {
  std::error_code ec;
  result = Flag(fs::is_directory(MapPath(Arg(args[0])), ec));
}

// Deleting, renaming and copying say nothing when the system refuses.
void file_delete(VL_ARGS) {
  const std::string fname = Arg(args[0]);
  if (SecureMode() && IsPathName(fname))
    return ReportFunctionError("In Secure mode you cannot delete file " + fname);
  std::error_code ec;
  const std::string path = MapPath(fname);
  if (!fs::is_directory(path, ec)) fs::remove(path, ec);
}

void file_rename(VL_ARGS) {
  const std::string from = Arg(args[0]), to = Arg(args[1]);
  if (SecureMode() && (IsPathName(from) || IsPathName(to)))
    return ReportFunctionError("In Secure mode you cannot rename file " + from + " into " + to);
  std::error_code ec;
  const std::string target = MapPath(to);
  if (!fs::exists(target, ec)) fs::rename(MapPath(from), target, ec);
}

void file_copy(VL_ARGS) {
  const std::string from = Arg(args[0]), to = Arg(args[1]);
  if (SecureMode() && (IsPathName(from) || IsPathName(to)))
    return ReportFunctionError("In Secure mode you cannot copy file " + from + " to " + to);
  std::error_code ec;
  fs::copy_file(MapPath(from), MapPath(to), fs::copy_options::overwrite_existing, ec);
}

void directory_create(VL_ARGS) {
  const std::string dname = Arg(args[0]);
  if (SecureMode() && IsPathName(dname))
    return ReportFunctionError("In Secure mode you cannot create directory " + dname);
  std::error_code ec;
  fs::create_directories(MapPath(dname), ec);
}

void filename_name(VL_ARGS) {
  result = RValue(FileNameName(args[0].Str()));
}
void filename_path(VL_ARGS) {
  result = RValue(FileNamePath(args[0].Str()));
}
void filename_dir(VL_ARGS) {
  result = RValue(FileNameDir(args[0].Str()));
}
void filename_drive(VL_ARGS) {
  result = RValue(FileNameDrive(args[0].Str()));
}
void filename_ext(VL_ARGS) {
  result = RValue(FileNameExt(args[0].Str()));
}
void filename_change_ext(VL_ARGS) {
  result = RValue(FileNameChangeExt(args[0].Str(), args[1].Str()));
}

#undef VL_ARGS

} // namespace

void Register_Function_FileSystem() {
  RegisterFunction("file_exists", file_exists, 1);
  RegisterFunction("file_delete", file_delete, 1);
  RegisterFunction("file_rename", file_rename, 2);
  RegisterFunction("file_copy", file_copy, 2);
  RegisterFunction("directory_exists", directory_exists, 1);
  RegisterFunction("directory_create", directory_create, 1);
  RegisterFunction("filename_name", filename_name, 1);
  RegisterFunction("filename_path", filename_path, 1);
  RegisterFunction("filename_dir", filename_dir, 1);
  RegisterFunction("filename_drive", filename_drive, 1);
  RegisterFunction("filename_ext", filename_ext, 1);
  RegisterFunction("filename_change_ext", filename_change_ext, 2);
}

} // namespace vl
