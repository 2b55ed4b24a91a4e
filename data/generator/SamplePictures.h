#pragma once
// The picture files of the sample data: the enemy pictures, the empty slot
// picture, the About picture and the enemy mask table.

#include "data/generator/SampleCommon.h"
#include "data/generator/SampleScreen.h"

#include <string>
#include <utility>
#include <vector>

namespace sampledata {

// Every output file but the snapshot, by name; the About picture is made
// from the loading picture.
std::vector<std::pair<std::string, std::vector<Byte>>> pictureFiles(const Screen& loading);

}  // namespace sampledata
