#include "tests/support/Test_Support.h"

#include <random>

namespace vl::test {

TScratchDir::TScratchDir() {
  std::random_device rd;
  do {
    m_path = std::filesystem::temp_directory_path() / ("vltest_" + std::to_string(rd()));
  } while (std::filesystem::exists(m_path));
  std::filesystem::create_directories(m_path);
}

TScratchDir::~TScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

} // namespace vl::test
