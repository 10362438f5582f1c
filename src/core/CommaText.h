#pragma once
// Comma text: a list written as entries separated by commas or blanks. An entry may be
// enclosed in double quotes (a doubled quote inside stands for one); blanks around a comma
// are skipped; a comma as the very last character adds one empty entry.
#include <string>
#include <string_view>
#include <vector>

namespace tp {

std::vector<std::string> SplitCommaText(std::string_view text);
// The reverse: entries joined by ",", quoted when they are empty or hold a blank, a comma
// or a quote, so that SplitCommaText gives the same list back.
std::string JoinCommaText(const std::vector<std::string>& items);

}  // namespace tp
