#pragma once
// Helpers shared by the tests: scratch folders that clean up after themselves.

#include <filesystem>
#include <string>

namespace vl::test {

class TScratchDir {
public:
  TScratchDir();
  ~TScratchDir();
  const std::filesystem::path& Path() const { return m_path; }
  std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
  std::filesystem::path m_path;
};

} // namespace vl::test
