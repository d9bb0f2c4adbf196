#pragma once
// Makes a demo card: DCIM with a folder per day of one continuous drive, a dozen
// recordings of every kind named as the recorder names them, an empty folder and a
// folder that holds only a text file.
#include "mkrec/CivilTime.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::mkrec {

struct CardOptions {
    double Seconds = 3.0; // length of each recording
    int Width = 640;
    int Height = 360;
    // The drive crosses midnight, so the card holds two day folders for recordings of
    // up to 9 seconds.
    CivilTime Start{2024, 5, 1, 23, 59, 54};
};

struct CardFile {
    std::filesystem::path Path; // relative to the card's root
    char Kind = 'A';
    CivilTime Start;
    int Records = 0;
};

// The kind letters of the card's recordings, in drive order.
inline constexpr char kCardKinds[] = {'A', 'A', 'G', 'M', 'A', 'O', 'R', 'A', 'P', 'S', 'T', 'U'};

// Makes the card in `dir`, which must not exist or be empty; the card is made under a
// temporary name beside it and renamed when complete. Throws on failure.
std::vector<CardFile> MakeCard(const CardOptions& options, const std::filesystem::path& dir);

} // namespace kestrel::mkrec
