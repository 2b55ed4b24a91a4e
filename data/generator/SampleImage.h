#pragma once
// Filling the sample game image: the snapshot header, and each region of
// memory written from what the other parts make and checked as it is written.

#include "data/generator/SampleCommon.h"
#include "data/generator/SampleEntities.h"
#include "data/generator/SampleLevels.h"
#include "data/generator/SampleMemory.h"

#include <vector>

namespace sampledata {

// The 27-byte snapshot header for the given SP.
std::vector<Byte> snapshotHeader(int sp);

// The regions, in the order they are written. writeSystemArea returns the
// snapshot's SP, writeLevels the address after the last level record.
int writeSystemArea(Memory& mem);
int writeLevels(Memory& mem, const std::vector<Level>& levels, int& fullWidth);
void writeEnemies(Memory& mem, const std::vector<EnemyEntry>& enemies, const std::vector<int>& levelsWithHoles);
void writeAirflow(Memory& mem, const std::vector<AirflowRecord>& airflow);
void writeBubbles(Memory& mem, const std::vector<Byte>& bubbles);
void writeTables(Memory& mem, const std::vector<int>& lower);
void writeBoot(Memory& mem, const std::vector<Byte>& boot);
void writeItems(Memory& mem, const std::vector<Level>& levels, const std::vector<int>& lower, const std::vector<Byte>& items);

}  // namespace sampledata
