#include "runner/Help_Main.h"

#include "data/Game_File.h"
#include "data/Support_Stream.h"

namespace vl {

RGameInfo& GameInfo() {
  static RGameInfo info;
  return info;
}

bool Load_GameInfo(CStream& stream) {
  RGameInfo& info = GameInfo();
  info.gi_text.clear();
  if (stream.ReadInteger() != kResourceVersion) return false;
  const std::unique_ptr<CStream> block = stream.ReadStreamC();
  info.gi_color = block->ReadInteger();
  info.gi_embedded = block->ReadBoolean();
  info.gi_caption = block->ReadString();
  info.gi_left = block->ReadInteger();
  info.gi_top = block->ReadInteger();
  info.gi_width = block->ReadInteger();
  info.gi_height = block->ReadInteger();
  info.gi_border = block->ReadBoolean();
  info.gi_sizeable = block->ReadBoolean();
  info.gi_stayontop = block->ReadBoolean();
  info.gi_pause = block->ReadBoolean();
  const std::unique_ptr<CStream> text = block->ReadStream();
  info.gi_text.assign(text->Bytes().begin(), text->Bytes().end());
  return true;
}

} // namespace vl
