#pragma once
// RIFF WAVE files in memory and on disk. Reading finds "fmt " and "data" among the chunks of the
// WAVE form whatever their order, skips the pad byte after odd-sized chunks, and never trusts a size
// beyond the bytes that are there.

#include "platform/wave/WaveBlock.h"

#include <QString>

namespace lumivo::wave
{

// Results of reading: the sample-data byte count, or one of these.
enum RiffResult : int {
    riffFileNotOpened = -1,
    riffNotWave = -2,
    riffNoFormat = -3,
    riffNoData = -5,
    riffShortData = -7,
    riffUnplayableFormat = -8, // channels, rate or sample width no player can use
    riffTooLarge = -9,         // a file larger than files::kMaxMediaFileBytes, refused unread
};

// Reads a whole RIFF WAVE image into a new block. `out` is emptied first and stays empty on failure.
// A format chunk shorter than 18 bytes becomes a full header with cbSize 0. A file written to a pipe
// never had its sizes filled in: its data then runs to the end of the file. A data chunk that claims a
// real size and ends before it is riffShortData: the file was cut short.
int readRiff(const std::uint8_t* data, std::size_t size, WaveBlock& out);
// The same for a file of at most files::kMaxMediaFileBytes, held once: its samples become the block.
int readWaveFile(const QString& path, WaveBlock& out);

// The block as a RIFF WAVE image: "fmt " of 18 + cbSize bytes, then "data"; odd chunks padded.
std::vector<std::uint8_t> toRiff(const WaveBlock& block);
// Replaces the file whole (written beside it and renamed); false on any failure or without a block.
bool writeWaveFile(const QString& path, const WaveBlock& block);

} // namespace lumivo::wave
