#pragma once
// Text files: the table of 32 ids (file_text_) and the one file (file_open_ and the rest), with
// the number reader and writer they use.

#include <cstddef>
#include <string>
#include <string_view>

namespace vl {

// " 2", " 2.500000", " -0.125000": a space, the sign, the whole part and six decimals unless they
// are all zero.
std::string TextNumberText(double x);

// Reads a number from text at pos up to the end of the line, which stays unread. Spaces and tabs
// are skipped before the first digit and after a sign or decimal point, and only a "-" before the
// digits (or right after the point) makes it negative; for the one file they are skipped
// everywhere and every "-" counts. The character that ends the number is read too.
double ReadTextNumber(std::string_view text, size_t& pos, bool one_file);

void Register_Function_TextFiles();
// Closes every open text file.
void ResetTextFiles();

} // namespace vl
