#pragma once
// Which pictures take part in a run and which one follows which.
#include <cstdint>
#include <string>
#include <vector>

namespace tp {

// Every picture whose selection flag is exactly "TRUE", in file-list order. No other
// filtering (existence, extension) happens here.
std::vector<std::string> BuildPictureList(const std::vector<std::string>& pictures,
                                          const std::vector<std::string>& selected);

// Order modes 0 and 2 are random; every other value goes through the list in order.
bool IsRandomOrder(int orderMode);

// The index after current in a list of count pictures. Random order never repeats the
// current picture directly (fewer than 2 pictures give 0); sequential order wraps to 0.
int ChooseNextPicture(int current, int count, int orderMode);
// What ChooseNextPicture would return if the program's generator had this seed; the
// generator itself is not touched.
int PredictNextPicture(uint32_t seed, int current, int count, int orderMode);

}  // namespace tp
