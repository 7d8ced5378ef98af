#include "library/File_System.h"

#include "data/Game_File.h"
#include "library/Function_Math.h"
#include "library/Support_Report.h"
#include "platform/Platform_File.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <vector>

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

// "*" and "?" over the whole name; backtracks to the last "*" only.
bool Glob(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string Lower(std::string_view s) {
  return ChangeCase(RValue(s), false);
}

} // namespace

bool MatchMask(std::string_view name, std::string_view mask) {
  const std::string n = Lower(name), m = Lower(mask);
  const bool dotless = n.find('.') == std::string::npos;
  if (m.ends_with(".*") && dotless && Glob(n, std::string_view(m).substr(0, m.size() - 2))) return true;
  if (m.ends_with(".") && m != ".") return dotless && Glob(n, std::string_view(m).substr(0, m.size() - 1));
  return Glob(n, m);
}

int32_t FileAttributeBits(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return -1;
  int32_t bits = 0;
  if (!CanWrite(path)) bits |= 1;
  if (fs::path(path).filename().string().starts_with('.')) bits |= 2;
  if (fs::is_directory(status)) bits |= 16;
  if (fs::is_regular_file(status)) bits |= 32;
  return bits;
}

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

// One search at a time: the matching names are listed when it starts, in name order.
struct RFileSearch {
  bool fs_open = false;
  std::vector<std::string> fs_names;
  size_t fs_next = 0;
};

RFileSearch& Search() {
  static RFileSearch search;
  return search;
}

// Hidden, system, volume-label and directory entries need their bit in attr.
constexpr int32_t kSpecialBits = 2 | 4 | 8 | 16;

std::string NextFound() {
  RFileSearch& s = Search();
  if (!s.fs_open || s.fs_next >= s.fs_names.size()) return {};
  return s.fs_names[s.fs_next++];
}

// Attribute bits: rounded, and only the low 32 bits of whatever a game gives count.
int32_t Bits(const RValue& v) {
  const double x = std::nearbyint(v.IsReal() ? v.Real() : 0.0);
  return std::isfinite(x) && std::fabs(x) < 9e18 ? int32_t(int64_t(x)) : 0;
}

void file_find_first(VL_ARGS) {
  const std::string mask = Arg(args[0]);
  const int32_t attr = Bits(args[1]);
  RFileSearch& s = Search();
  s = RFileSearch{true, {}, 0};
  const size_t sep = mask.find_last_of("\\/");
  const std::string folder = sep == std::string::npos ? "." : MapPath(mask.substr(0, sep + 1));
  const std::string pattern = sep == std::string::npos ? mask : mask.substr(sep + 1);
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const int32_t bits = FileAttributeBits(it->path().string());
    if (bits >= 0 && !(bits & kSpecialBits & ~attr) && MatchMask(name, pattern)) s.fs_names.push_back(name);
  }
  std::sort(s.fs_names.begin(), s.fs_names.end(),
            [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
  result = RValue(NextFound());
}

void file_find_next(VL_ARGS) {
  result = RValue(NextFound());
}

void file_find_close(VL_ARGS) {
  Search() = RFileSearch();
}

void file_attributes(VL_ARGS) {
  const int32_t bits = FileAttributeBits(MapPath(Arg(args[0])));
  const int32_t attr = Bits(args[1]);
  result = RValue(bits < 0 ? -1.0 : (bits & attr) ? 1.0 : 0.0);
}

// The drive named by the first letter, or the current folder's. Drive C always exists (its folder
// is made when a game first writes there); other letters exist once their folder does.
std::optional<RDiskSpace> Disk(int32_t argc, const RValue* args) {
  const std::string drive = argc > 0 ? Arg(args[0]) : std::string();
  if (drive.empty()) return DiskSpace(".");
  const char letter = char(std::toupper(static_cast<unsigned char>(drive[0])));
  fs::path folder = MapPath(std::string(1, letter) + ":\\");
  std::error_code ec;
  if (letter != 'C' && !fs::is_directory(folder, ec)) return std::nullopt;
  while (!fs::exists(folder, ec) && folder.has_parent_path() && folder != folder.parent_path())
    folder = folder.parent_path();
  return DiskSpace(folder.string());
}

void disk_free(CInstance*, CInstance*, int32_t argc, RValue& result, const RValue* args) {
  const std::optional<RDiskSpace> disk = Disk(argc, args);
  result = RValue(disk ? double(disk->ds_free) : -1.0);
}

void disk_size(CInstance*, CInstance*, int32_t argc, RValue& result, const RValue* args) {
  const std::optional<RDiskSpace> disk = Disk(argc, args);
  result = RValue(disk ? double(disk->ds_size) : -1.0);
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

void ResetFileSearch() {
  Search() = RFileSearch();
}

void Register_Function_FileSystem() {
  RegisterFunction("file_exists", file_exists, 1);
  RegisterFunction("file_delete", file_delete, 1);
  RegisterFunction("file_rename", file_rename, 2);
  RegisterFunction("file_copy", file_copy, 2);
  RegisterFunction("directory_exists", directory_exists, 1);
  RegisterFunction("directory_create", directory_create, 1);
  RegisterFunction("file_find_first", file_find_first, 2);
  RegisterFunction("file_find_next", file_find_next, 0);
  RegisterFunction("file_find_close", file_find_close, 0);
  RegisterFunction("file_attributes", file_attributes, 2);
  RegisterFunction("disk_free", disk_free, -1);
  RegisterFunction("disk_size", disk_size, -1);
  RegisterFunction("filename_name", filename_name, 1);
  RegisterFunction("filename_path", filename_path, 1);
  RegisterFunction("filename_dir", filename_dir, 1);
  RegisterFunction("filename_drive", filename_drive, 1);
  RegisterFunction("filename_ext", filename_ext, 1);
  RegisterFunction("filename_change_ext", filename_change_ext, 2);
}

} // namespace vl
