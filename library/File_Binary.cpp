#include "library/File_Binary.h"

#include "library/File_System.h"
#include "library/Support_Report.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace vl {

namespace {

constexpr int32_t kMaxFiles = 32;

struct RBinaryFile {
  std::FILE* b_file = nullptr;
  std::string b_path; // mapped
  bool b_canread = false;
  bool b_canwrite = false;
  // C streams need a seek between a write and a read and the other way round.
  enum { kNone, kRead, kWrite } b_last = kNone;
};

std::array<RBinaryFile, kMaxFiles + 1>& Files() {
  static std::array<RBinaryFile, kMaxFiles + 1> files; // slot 0 unused
  return files;
}

double ArgReal(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

// Rounded half to even, as ids, modes, positions and bytes are.
int64_t ArgWhole(const RValue& v) {
  const double x = std::nearbyint(ArgReal(v));
  return std::isfinite(x) && std::fabs(x) < 9e18 ? int64_t(x) : -1;
}

RBinaryFile* OpenFile(const RValue& id, const char* message) {
  const int64_t n = ArgWhole(id);
  if (n >= 1 && n <= kMaxFiles && Files()[size_t(n)].b_file) return &Files()[size_t(n)];
  ReportFunctionError(message);
  return nullptr;
}

void Switch(RBinaryFile& f, decltype(RBinaryFile::b_last) next) {
  if (f.b_last != RBinaryFile::kNone && f.b_last != next) std::fseek(f.b_file, 0, SEEK_CUR);
  f.b_last = next;
}

void file_bin_open(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  result = RValue(-1.0);
  int32_t id = 1;
  while (id <= kMaxFiles && Files()[size_t(id)].b_file) ++id;
  if (id > kMaxFiles) return ReportFunctionError("Cannot open another file (maximum exceeded).");
  const std::string fname(args[0].Str());
  const int64_t mode = ArgWhole(args[1]);
  const std::string path = MapPath(fname);
  std::error_code ec;
  // Mode 0 only reads, yet a missing file would still be created: not with a path name in secure
  // mode.
  const bool creates = mode != 0 || !fs::exists(path, ec);
  if (SecureMode() && creates && IsPathName(fname))
    return ReportFunctionError("In secure mode you cannot write file " + fname);
  if (creates) {
    if (std::FILE* made = std::fopen(path.c_str(), "ab")) std::fclose(made);
  }
  std::FILE* file = std::fopen(path.c_str(), mode == 0 ? "rb" : "r+b");
  if (!file) return ReportFunctionError("Error opening binary file.");
  Files()[size_t(id)] = RBinaryFile{file, path, mode != 1, mode != 0};
  result = RValue(double(id));
}

void file_bin_rewrite(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "Trying to rewrite unopened file.");
  if (!f) return;
  std::error_code ec;
  std::fflush(f->b_file);
  fs::resize_file(f->b_path, 0, ec);
  if (ec || std::fseek(f->b_file, 0, SEEK_SET) != 0) ReportFunctionError("Error rewriting file.");
  f->b_last = RBinaryFile::kNone;
}

void file_bin_close(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "Trying to close unopened file.");
  if (!f) return;
  const bool closed = std::fclose(f->b_file) == 0;
  *f = RBinaryFile();
  if (!closed) ReportFunctionError("Error closing file.");
}

void file_bin_size(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "File is not opened.");
  if (!f) return;
  const long here = std::ftell(f->b_file);
  long size = -1;
  if (here >= 0 && std::fseek(f->b_file, 0, SEEK_END) == 0) size = std::ftell(f->b_file);
  if (here < 0 || std::fseek(f->b_file, here, SEEK_SET) != 0 || size < 0)
    return ReportFunctionError("Error retrieving file size.");
  f->b_last = RBinaryFile::kNone;
  result = RValue(double(size));
}

void file_bin_position(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "File is not opened.");
  if (!f) return;
  const long here = std::ftell(f->b_file);
  if (here < 0) return ReportFunctionError("Error retrieving file position.");
  result = RValue(double(here));
}

void file_bin_seek(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "File is not opened.");
  if (!f) return;
  const int64_t pos = ArgWhole(args[1]);
  if (pos < 0 || std::fseek(f->b_file, long(pos), SEEK_SET) != 0)
    return ReportFunctionError("Error seeking.");
  f->b_last = RBinaryFile::kNone;
}

void file_bin_read_byte(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "File is not opened.");
  if (!f) return;
  int c = EOF;
  if (f->b_canread) {
    Switch(*f, RBinaryFile::kRead);
    c = std::fgetc(f->b_file);
  }
  if (c == EOF) return ReportFunctionError("Error reading byte.");
  result = RValue(double(c));
}

void file_bin_write_byte(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  RBinaryFile* f = OpenFile(args[0], "File is not opened.");
  if (!f) return;
  bool written = false;
  if (f->b_canwrite) {
    Switch(*f, RBinaryFile::kWrite);
    written = std::fputc(int(ArgWhole(args[1]) & 0xFF), f->b_file) != EOF;
  }
  if (!written) ReportFunctionError("Error writing byte.");
}

} // namespace

void Register_Function_BinaryFiles() {
  RegisterFunction("file_bin_open", file_bin_open, 2);
  RegisterFunction("file_bin_rewrite", file_bin_rewrite, 1);
  RegisterFunction("file_bin_close", file_bin_close, 1);
  RegisterFunction("file_bin_size", file_bin_size, 1);
  RegisterFunction("file_bin_position", file_bin_position, 1);
  RegisterFunction("file_bin_seek", file_bin_seek, 2);
  RegisterFunction("file_bin_read_byte", file_bin_read_byte, 1);
  RegisterFunction("file_bin_write_byte", file_bin_write_byte, 2);
}

void ResetBinaryFiles() {
  for (RBinaryFile& f : Files()) {
    if (f.b_file) std::fclose(f.b_file);
    f = RBinaryFile();
  }
}

} // namespace vl
