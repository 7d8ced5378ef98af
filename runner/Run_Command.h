#pragma once
// Saved games: the whole game state written to a file at once, and read back in place of the
// running state only when the file is whole and belongs to this game.

#include <cstdint>
#include <string>

namespace vl {

constexpr int32_t kSavedGameVersion = 540;

// Writes the game state to file now; failures are reported, nothing else changes.
void Save_Game(const std::string& file);
// Replaces the game state by the one in file. A missing file does nothing; a file of another
// version or game, or one that cannot be read whole, is reported and the game goes on unchanged.
void Read_Game(const std::string& file);
// Acts on the load request: clears the code and the input, then reads the stored file.
void Game_LoadPending();
// The F5 and F6 file of this game.
std::string Key_SaveFile();

} // namespace vl
