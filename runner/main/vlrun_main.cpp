#include "platform/Platform_Sdl.h"
#include "runner/Runner_Form.h"

int main(int argc, char** argv) {
  return vl::RunnerMain(argc, argv, vl::CreateSdlServices);
}
