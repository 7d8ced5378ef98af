// Fuzzes the game container loader: any bytes after the search start end in a load or in one of
// the loader's messages, never a crash or a hang. The first input byte picks raw bytes (checksum
// as given) or plain game data that is sealed with a correct checksum first, to reach the parsers.
#include "data/Game_File.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  static test::TScratchDir temp;
  static const std::set<std::string> allowed = {
      "Error: Not a valid game file.",        "Error: Wrong version number.",
      "Error: Error in resource data.",       "Error: Failed to initialize D3DX.",
      "Error in loading extension packages.", "Failed to load the game data. File seems corrupted."};
  if (size < 1) return 0;
  test::TTestPlatform platform;
  test::TTestLoadWindow window;
  Wire_Runner(platform.Services());
  Reset_Runner();
  Runner().rn_loadwindow = &window;
  Runner().rn_tempfolder = temp.Path().string();

  CStream s;
  s.SetSize(kMarkerSearchStart);
  s.Seek(kMarkerSearchStart);
  s.WriteBuffer(data + 1, size - 1);
  const size_t m = kMarkerSearchStart;
  if ((data[0] & 1) && s.Size() >= m + 20) {
    const uint8_t mark[] = {0x00, 0xF7, 0x67, 0x14};
    s.Data()[m + 1] = mark[0], s.Data()[m + 3] = mark[1], s.Data()[m + 4] = mark[2],
                 s.Data()[m + 6] = mark[3];
    int32_t version;
    std::memcpy(&version, s.Data() + m + 16, 4);
    version ^= VersionXor(m);
    std::memcpy(s.Data() + m + 16, &version, 4);
    s.EncryptWad(m + 8);
  }
  Load_GameStream(s);
  for (const std::string& message : platform.messages)
    if (!allowed.count(message)) std::abort();
  if (platform.messages.size() > 2) std::abort();
  Reset_Runner();
  Unwire_Runner();
  return 0;
}
